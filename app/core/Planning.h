#pragma once
// Observation planning without windows: the radio horizon and its file, the one visibility
// test, the planned day and its local hours, the PLAN rows, the detection notes file and the
// drift-scan table. The tracking planner and the culmination search have their own headers
// (TrackingPlan.h, Culmination.h).
//
// Every instant handed to the engine is true UTC and every local time shown is the local clock
// at that instant (TimeBase.h); the clock is an argument, so tests fix it.

#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

#include "KestalState.h"
#include "TimeBase.h"

// ---- radio horizon ----------------------------------------------------------------------

constexpr int HorizonSectors = 12;
constexpr int HorizonFileLines = 2 * HorizonSectors + 1;

// Twelve azimuth sectors, sector i (1..12) spanning Az[i-1] <= azimuth < Az[i], each with the
// lowest elevation at which an object counts as above the local horizon. Limits are taken as
// they are: nothing requires them to ascend, and nothing wraps across 360. An engine azimuth
// that rounds to 360 is due north and is tested as 0 (WholeAzimuth).
struct THorizonProfile {
  std::array<int, HorizonSectors + 1> Az{};
  std::array<int, HorizonSectors> MinEl{};
  static THorizonProfile Defaults();  // 0, 30, ... 360; every minimum 0
  // Whole degrees, as the grids show them (WholeAzimuth, WholeDegrees).
  bool Visible(int Azimuth, int Elevation) const;
  // Engine results: rounded to whole degrees first (halves away from zero, WholeAzimuth).
  bool Visible(double Azimuth, double Elevation) const;
  bool operator==(const THorizonProfile&) const = default;
};

// A position rounded to whole degrees as the "#0" pattern rounds it (halves away from zero).
int WholeDegrees(double Degrees);
// An azimuth in whole degrees as the grids show it: WholeDegrees, with 360 (from 359.5 on)
// shown and tested as 0.
int WholeAzimuth(double Degrees);
// An azimuth as the tables show it in the decimals of Pattern ("#0.00", "#000.00"): one that
// rounds up to 360 is due north and shows as 0, as WholeAzimuth takes it.
String AzimuthText(double Degrees, const String& Pattern);

inline constexpr const char* HorizonFileName = "Kestal_horizon.txt";

// The file: 25 lines of one whole number each (az0..az12, then minEl1..minEl12), separated by
// CR LF, no line end after the last.
String HorizonFileText(const THorizonProfile& Profile);

struct THorizonRead {
  THorizonProfile Profile = THorizonProfile::Defaults();
  bool FromFile = false;  // false: defaults (missing or unusable file)
  String Problem;         // why a file that exists was not used; empty otherwise
};
// Reads the file. A missing file gives the defaults silently; a damaged one (a line that is not
// a whole number, fewer than 25 numbers, unreadable) the defaults and a Problem naming the file
// and line. Never raises.
THorizonRead ReadHorizonFile(const String& FileName);
// Writes the whole file or nothing (the previous file stays when writing fails); raises
// EInOutError naming the file.
void WriteHorizonFile(const String& FileName, const THorizonProfile& Profile);

// ---- objects ----------------------------------------------------------------------------

enum TSkyObjectKind { skMoon, skSun, skFixed };

struct TSkyObject {
  const char* Name;
  TSkyObjectKind Kind;
  double RightAscension;  // hours
  double Declination;     // degrees
};

constexpr int PlannerObjectCount = 11;
// The eleven objects of the PLAN grid (code = index + 1).
const std::array<TSkyObject, PlannerObjectCount>& PlanObjects();
// The drift-scan and tracking planners' eleven (one position differs from the PLAN grid).
const std::array<TSkyObject, PlannerObjectCount>& DriftObjects();
// The tracking planner's column headers for the same objects.
const std::array<const char*, PlannerObjectCount>& TrackingColumnNames();

struct TObserver {
  double Latitude = 0, Longitude = 0;  // degrees, as stored in the main window
};

struct TSkyPosition {
  double Azimuth = 0, Elevation = 0;
};
// Where the object stands at the UTC instant (engine frequency 1296 MHz, as all planners pass).
TSkyPosition PositionOf(const TSkyObject& Object, const TObserver& Observer,
                        const Astral::TUtcTime& Utc);
inline constexpr double PlannerEngineFrequency = 1296.0;

// ---- the planned day --------------------------------------------------------------------

struct TPlannedDay {
  int Year = 0, Month = 0, Day = 0;  // month 1..12
  crt::time_t Midnight = 0;          // 00:00 local time of that date
  String DateText;                   // "M/D/YYYY" without leading zeros
};
// The current UTC date plus DayOffset days; its local midnight.
TPlannedDay PlannedDayOf(crt::time_t Now, int DayOffset);

// One full local hour of the planned day.
struct TPlanHour {
  int LocalHour = 0;  // 0..23; on the day daylight time ends one hour comes twice
  crt::time_t Instant = 0;
  Astral::TUtcTime Utc;
};
// The hours from local midnight on, in steps of an hour, while the local date is the planned
// date: 24 instants, 23 on the day daylight time starts, 25 on the day it ends.
std::vector<TPlanHour> PlanHoursOf(const TPlannedDay& Day);
// The text after the planned date: "local time (UTC+01:00)", with ", DST" in daylight time; on a
// day the clock changes "local time: UTC+02:00 (DST) up to 01:00, UTC+01:00 from 02:00 on", by
// the instant each hour column shows (the second one of a repeated hour).
String PlanLocalTimeText(const std::vector<TPlanHour>& Hours);

// ---- the PLAN rows ----------------------------------------------------------------------

struct TPlanRow {
  String Name;
  String SignalToNoise;          // "#0"; empty for the fixed objects and undefined values
  std::array<String, 24> Hours;  // "az:el" when above the radio horizon, else empty
};

struct TPlanResult {
  TPlannedDay Day;
  String LocalTimeText;  // PlanLocalTimeText of the day's hours
  int PulsarCount = 0;
  std::vector<TPlanRow> Rows;  // the eleven objects, then the band's pulsars
};

// Expected S/N of a pulsar row; NaN when the pulse width is not between 0 and the period (or
// the result is otherwise undefined).
double PlanSignalToNoise(const TKestalState& State, const TBandRow& Row, bool Band400);

// The whole plan: the eleven objects, then the pulsars of the band the working frequency is in
// (390..500 MHz exclusive: 400 MHz table; 1000..1500 MHz: 1400 MHz table; neither: none).
TPlanResult ComputePlan(const TKestalState& State, const THorizonProfile& Horizon, crt::time_t Now,
                        int DayOffset);

// ---- detection notes --------------------------------------------------------------------

inline constexpr const char* NotesFileName = "Kestal_captured.txt";

// The last note recorded for each name.
using TNoteMap = std::unordered_map<String, String>;
// Reads the notes file once: pairs of lines (name, note) of any length, LF or CR LF; a last
// name without its note line is ignored. A missing file is no notes. Raises EInOutError when
// the file exists but cannot be read.
TNoteMap ReadNotes(const String& FileName);
// Adds one pair at the end: the whole file is written anew beside and renamed over, so the
// notes kept so far are never lost. Line breaks in Name or Note become blanks. Raises
// EInOutError naming the file when it cannot be written.
void AppendNote(const String& FileName, const String& Name, const String& Note);

// ---- drift scan -------------------------------------------------------------------------

constexpr int DriftOffsetCount = 6;
const std::array<int, DriftOffsetCount>& DriftOffsetsMinutes();  // 10, 20, 30, 40, 60, 120

// Cells of the drift-scan grid: [row][column], 12 rows (header + 11 objects) by 7 columns.
using TDriftTable = std::array<std::array<String, DriftOffsetCount + 1>, PlannerObjectCount + 1>;
// Each cell reads the clock anew (Now) and is "azimuth : elevation" ("#000.00", "#00.00") when
// above the radio horizon, else empty; each header shows the local time of its last cell.
TDriftTable ComputeDriftScan(const TObserver& Observer, const THorizonProfile& Horizon,
                             const std::function<crt::time_t()>& Now);
