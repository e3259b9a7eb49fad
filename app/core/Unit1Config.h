#pragma once
// The configuration file KestalDB.txt as plain data: reading the parameter section, and
// writing it anew while keeping the saved locations that follow it.
//
// The main window takes the location as it stands and puts the field texts into its input
// fields; keeping the file format here lets it be tested without a window.

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "LocationRecord.h"
#include "ReceiverFigures.h"
#include "System.h"

inline constexpr const char* ConfigFileName = "KestalDB.txt";
// The first line, trailing blank included; a file that starts otherwise is refused.
inline constexpr const char* ConfigHeader = "KESTAL DEFAULTS 7 : ";
inline constexpr const char* LocationsHeading = "KESTAL LOCATIONS :";

// Field texts of lines 15 to 28, in file order.
enum TConfigField {
  cfFirstInput,  // dish diameter (dish) or antenna gain (other antenna)
  cfEfficiency,
  cfKs,
  cfFrequency,
  cfLnaNoiseFigure,
  cfLnaGain,
  cfLossBeforeLna,
  cfLossAfterLna,
  cfReceiverNoiseFigure,
  cfIntegrationTime,
  cfIntegrationBandwidth,
  cfSkyTemperature,
  cfSpilloverTemperature,
  cfAtmosphereTemperature,
  cfFieldCount
};

// The receiving system of field values in TConfigField order: the first is the dish diameter
// (dish) or the antenna gain, the efficiency is a percentage; an other antenna takes no
// efficiency and a Ks of 1. The receiver bandwidth and the noise-floor choice keep their
// defaults.
TReceiverInputs ReceiverInputsOf(const std::array<double, cfFieldCount>& Values, bool DishAntenna);

struct TKestalConfig {
  TLocationRecord Location;  // lines 2 to 13 (Name on line 2)
  String ModeCode;           // "DP", "OP", "DE", "OE" (the reader also meets "D" and "O")
  std::array<String, cfFieldCount> Fields;
  String ReceiverBandwidth;  // line 29 as text ("3000" when the file has no line 29)
};

// The outcome of reading the file.
enum class TConfigReadResult { Missing, WrongHeader, Read };

// Reads FileName. Missing: the file cannot be opened. WrongHeader: its first line differs
// from ConfigHeader (exactly, case included). Read: Config holds the parameter section.
// CR LF line ends read as LF. A position line (3 to 7, 9 to 11) that is not a finite number
// raises EConvertError naming the file and the line ("KestalDB.txt, line 3: '1e400' is too
// large a number"); a file that exists but cannot be read raises as ReadUserFile does.
TConfigReadResult ReadConfigFile(const String& FileName, TKestalConfig& Config);

// The bounds of every file the program reads, all through ReadUserFileBlocks: its
// configuration, the catalogue, the noise database, the flux list, the planners' horizon and
// notes files, and the transfer files of the update checks. The largest genuine ones are far
// below them: the catalogue of 5000 pulsars is under 1 MB with lines of about 100 bytes, a
// catalogue reply is capped at 32 MB, and the lines the program and the servers write are
// short (a comment the user types into the noise database is the longest, and is one line).
// A file beyond them is refused at once (a larger plain file before a byte is read, a longer
// line as soon as it has been read), with the file named, and the line.
inline constexpr Int64 MaxReadFileBytes = Int64{64} << 20;
inline constexpr size_t MaxReadLineBytes = size_t{16} << 20;

// Reads a file the user keeps block by block, handing each block to Consume until it returns
// false or the file ends. False when the file does not exist; any other failure raises as
// ReadUserFile does, and so does a file beyond the bounds above: "Cannot read ATNF.csv: it is
// larger than any file the program reads (more than 64 MB)", "Cannot read KestalDB.txt, line
// 3: it is longer than any line the program reads (more than 16 MB)".
bool ReadUserFileBlocks(const String& FileName,
                        const std::function<bool(std::string_view)>& Consume);

// The whole content of a file the user keeps. False when it does not exist; any other failure
// raises EInOutError saying which file and why, in the user's terms ("Cannot read
// KestalDB.txt: it is a folder, not a file").
bool ReadUserFile(const String& FileName, String& Bytes);
// The same for callers that go on without the file: false when it is missing (Why empty) or
// cannot be used (Why the reason ReadUserFile would raise).
bool ReadUserFile(const String& FileName, String& Bytes, String& Why);

// Code of line 14: "D"/"O" for the antenna, "P"/"E" for the mode.
String ModeCodeOf(bool DishAntenna, bool PulsarMode);
// The reader's interpretation of a stored code.
bool ModeCodeIsDish(const String& Code);        // "D", "DP", "DE"
bool ModeCodeIsPulsarMode(const String& Code);  // "D", "DP", "O", "OP"

// A number as the configuration writes it: the C++ stream's default form (at most six
// significant digits, no trailing zeros), "." as decimal separator. A value that is not finite
// raises EConvertError: the reader would refuse it and the program would not start.
String ConfigNumberText(double Value);

// The saved-location lines after the heading "KESTAL LOCATIONS :" of FileName, every one of
// them, unchanged; none when the file or the heading is missing.
std::vector<String> ReadSavedLocationLines(const String& FileName);

// The whole file: parameter section, heading, then Locations, each line ended by LF. The
// field texts are written as numbers (Numbers, in TConfigField order, already converted by
// the caller so that a field that does not convert stops the save before anything is
// written); line 28 is always 0.
String ComposeConfigText(const TKestalConfig& Config,
                         const std::array<double, cfFieldCount>& Numbers,
                         double ReceiverBandwidthHz, const std::vector<String>& Locations);
