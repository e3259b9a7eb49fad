#pragma once
// The day's solar radio flux list of the observatory network, read by fixed columns, and the
// sun-noise figures computed from it. No window here: the sun-noise window shows what these
// functions return.
//
// The list (the FTP file rad.txt, kept as SunFlowNoaa.txt) is read by line number and column
// offset, first character of a line = offset 0:
//   lines  1-10  skipped            line 11, 12  column headers (ten 11-character fields)
//   lines 13-26  skipped            line 27      the list's date (its first 20 characters)
//   lines 28-36  one line per frequency row of kFluxRowMHz: label at 1..10, observatory k
//                (0..6) in the 10 characters from 8 + 10 k
// Whole lines are read whatever their length; a field that lies past the end of its line is
// blank. A blank value field is a missing reading (-1, the list's own mark). A value field
// that holds anything but a number is refused with the line named.

#include <array>
#include <vector>

#include "System.h"

constexpr int kFluxRows = 9;
constexpr int kObservatories = 7;
constexpr int kFluxHeaderFields = 10;
// The frequency of each data row, by position (the labels in the file are only shown).
inline constexpr std::array<double, kFluxRows> kFluxRowMHz = {245,  410,  610,  1415, 2695,
                                                              2800, 4995, 8800, 15400};
// Below this many usable readings the result is shown with a warning.
constexpr int kFewReadings = 5;
// The cubic needs three points.
constexpr int kMinimumReadings = 3;

// The list's format is not what the reader expects (too short, a value that is not a number).
class ESunFluxFormat : public Exception {
  using Exception::Exception;
};
// No sun noise can be computed from the readings (too few, or no positive flux).
class ESunNoise : public Exception {
  using Exception::Exception;
};

struct TSunFluxList {
  std::array<String, kFluxHeaderFields> Header1, Header2;  // as read
  String Date;
  std::array<String, kFluxRows> Labels;
  std::array<std::array<String, kObservatories>, kFluxRows> Fields;  // as read
  // sfu; -1 (or any negative value) for a missing reading. Single precision, as stored.
  std::array<std::array<float, kObservatories>, kFluxRows> Table{};
  // The observatory with the fewest missing readings (the first of a tie; 0 when all miss
  // everything).
  int BestSet = 0;
  // The best set's reading of each row truncated toward zero, as text ("-1" when missing).
  std::array<String, kFluxRows> BestColumn;
  // The usable readings (truncated value above 0) in row order: MHz and whole sfu.
  std::vector<double> PointMHz, PointSfu;

  int UsableReadings() const { return static_cast<int>(PointMHz.size()); }
  // Every row of the best set reads "-1": the observatories have not reported yet.
  bool AllMissing() const;
};

// Reads the list's bytes (LF or CR LF line ends). Raises ESunFluxFormat.
TSunFluxList ParseSunFluxList(const String& Text);

// Checks a list just received before it replaces the one on file: it must read as a list
// (ParseSunFluxList) and its last data line must end with a line end, since a transfer cut
// inside that line would read as a shorter number or a missing reading. Raises
// ESunFluxFormat.
void CheckReceivedSunFluxList(const String& Text);

struct TSunNoise {
  double SunFlux = 0;         // Jy
  double SunAntennaTemp = 0;  // K
  double SunYFactor = 0;      // dB
};

// Fits the natural cubic spline through the usable readings, evaluates it at FrequencyMHz and
// derives antenna temperature (Ae / 2760 x flux) and Y-factor (10 log10((Ta + Tsys) / Tsys)).
// Raises ESunNoise, with the text to show, when fewer than three readings are usable, when
// the flux at that frequency is not positive (an extrapolation below zero) or when the
// Y-factor is not a finite number (no positive system temperature).
TSunNoise ComputeSunNoise(const std::vector<double>& PointMHz, const std::vector<double>& PointSfu,
                          double FrequencyMHz, double EffectiveAperture, double Tsys);

namespace SunNoiseTexts {
inline constexpr const char* FtpError =
    "ERROR accessing NOAA ftp site for real time sun flux data. Please try later.";
inline constexpr const char* NoListFile = "ERROR : unable to create Sun flux data file.";
inline constexpr const char* FewReadings =
    "WARNING : The number of readings reported by observatories is very low. Derived "
    "calculations may be incorrect. ";
inline constexpr const char* NotUpdated =
    "ERROR : Observatories did not update Sun Flow database yet.\nPlease  try later.";
inline constexpr const char* BadFormat =
    "ERROR : The sun flux data file is not in the expected format.";
inline constexpr const char* TooFewReadings =
    "ERROR : Fewer than 3 readings are usable: the sun flux cannot be calculated.";
inline constexpr const char* NoValidFlux =
    "ERROR : No valid sun flux at this frequency: the readings give no positive flux here.";
inline constexpr const char* NoValidYFactor =
    "ERROR : No valid sun noise Y-factor: the system noise temperature must be above 0 K.";
}  // namespace SunNoiseTexts
