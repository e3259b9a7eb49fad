#include "Planning.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Config.h"

// ---- radio horizon ----------------------------------------------------------------------

THorizonProfile THorizonProfile::Defaults() {
  THorizonProfile p;
  constexpr int SectorWidth = 30;
  for (int i = 0; i <= HorizonSectors; ++i) p.Az[static_cast<size_t>(i)] = i * SectorWidth;
  return p;
}

int WholeDegrees(double Degrees) {
  // "#0" rounds halves away from zero on the exact binary value, which is what round does.
  if (!std::isfinite(Degrees)) return std::numeric_limits<int>::min();
  const double r = std::round(Degrees);
  if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min() + 1.0)
    return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

int WholeAzimuth(double Degrees) {
  // The engine's azimuth lies below 360, but from 359.5 on it rounds to 360, which no sector
  // of a profile that runs 0 .. 360 holds: that is due north, the start of the first sector.
  constexpr int FullCircle = 360;
  const int a = WholeDegrees(Degrees);
  return a == FullCircle ? 0 : a;
}

String AzimuthText(double Degrees, const String& Pattern) {
  const String text = FormatFloat(Pattern, Degrees);
  return text == FormatFloat(Pattern, 360.0) ? FormatFloat(Pattern, 0.0) : text;
}

bool THorizonProfile::Visible(int Azimuth, int Elevation) const {
  for (size_t i = 1; i <= HorizonSectors; ++i)
    if (Az[i - 1] <= Azimuth && Azimuth < Az[i] && Elevation >= MinEl[i - 1]) return true;
  return false;
}

bool THorizonProfile::Visible(double Azimuth, double Elevation) const {
  return Visible(WholeAzimuth(Azimuth), WholeDegrees(Elevation));
}

String HorizonFileText(const THorizonProfile& Profile) {
  String text;
  for (int v : Profile.Az) text += IntToStr(v) + "\r\n";
  for (int v : Profile.MinEl) text += IntToStr(v) + "\r\n";
  text.resize(text.size() - 2);  // no line end after the last number
  return text;
}

THorizonRead ReadHorizonFile(const String& FileName) {
  THorizonRead result;
  String bytes;
  try {
    if (!ReadUserFile(FileName, bytes)) return result;
  } catch (const Exception& e) {
    result.Problem = e.Message + "; the default radio horizon is used.";
    return result;
  }
  const std::vector<String> lines = SplitTextLines(bytes);
  THorizonProfile read;
  for (size_t n = 0; n < HorizonFileLines; ++n) {
    const String where = FileName + ", line " + IntToStr(static_cast<Int64>(n + 1));
    if (n >= lines.size()) {
      result.Problem = where +
                       ": missing (the file needs 25 whole numbers); the default radio "
                       "horizon is used.";
      return result;
    }
    Integer value = 0;
    if (!TryStrToInt(Trim(lines[n]), value)) {
      result.Problem = where + ": '" + lines[n].substr(0, 40) +
                       "' is not a whole number; the default radio horizon is used.";
      return result;
    }
    if (n <= HorizonSectors)
      read.Az[n] = value;
    else
      read.MinEl[n - HorizonSectors - 1] = value;
  }
  result.Profile = read;
  result.FromFile = true;
  return result;
}

void WriteHorizonFile(const String& FileName, const THorizonProfile& Profile) {
  if (!WriteFileReplacing(FileName, HorizonFileText(Profile)))
    throw EInOutError("Cannot write " + FileName + ": the radio horizon was not saved");
}

// ---- objects ----------------------------------------------------------------------------

namespace {

constexpr TSkyObject Moon{"Moon", skMoon, 0, 0};
constexpr TSkyObject Sun{"Sun", skSun, 0, 0};

}  // namespace

const std::array<TSkyObject, PlannerObjectCount>& PlanObjects() {
  static const std::array<TSkyObject, PlannerObjectCount> objects{{
      Moon,
      Sun,
      {"Cygnus-A", skFixed, 19.991, 40.733},
      {"Taurus-A", skFixed, 5.575, 22.016},
      {"Cassiopeia", skFixed, 23.39, 58.83},
      {"Sagittarius-A", skFixed, 17.768, -28.85},
      {"3C273", skFixed, 12.485, 2.0524},
      {"FRB 20220912A", skFixed, 23.1513467, 48.7066},
      {"VIRGO A", skFixed, 12.5137, 12.3831},
      {"FRB 20201124A", skFixed, 5.134, 26.0605556},
      {"SGR 1935+2154", skFixed, 19.582133333333335, 21.8967},
  }};
  return objects;
}

const std::array<TSkyObject, PlannerObjectCount>& DriftObjects() {
  static const std::array<TSkyObject, PlannerObjectCount> objects = [] {
    std::array<TSkyObject, PlannerObjectCount> o = PlanObjects();
    o[7].RightAscension = 23.151346666666665;  // FRB 20220912A, as the planners place it
    return o;
  }();
  return objects;
}

const std::array<const char*, PlannerObjectCount>& TrackingColumnNames() {
  static const std::array<const char*, PlannerObjectCount> names{
      "Moon",  "Sun",           "Cygnus-A", "Taurus-A",      "Cassiopeia",   "Sgr-A*",
      "3C273", "FRB 20220912A", "VIRGO A",  "FRB 20201124A", "SGR 1935+2154"};
  return names;
}

TSkyPosition PositionOf(const TSkyObject& Object, const TObserver& Observer,
                        const Astral::TUtcTime& Utc) {
  Astral sky;
  sky.Latitude = Observer.Latitude;
  sky.Longitude = Observer.Longitude;
  sky.Frequency = PlannerEngineFrequency;
  sky.Elevation = 300.0;
  sky.UtcTime = Utc;
  switch (Object.Kind) {
    case skMoon: sky.TrackMoon(); break;
    case skSun: sky.TrackSun(); break;
    case skFixed: sky.TrackObject(Object.RightAscension, Object.Declination); break;
  }
  return {sky.Azimuth, sky.Elevation};
}

// ---- the planned day --------------------------------------------------------------------

TPlannedDay PlannedDayOf(crt::time_t Now, int DayOffset) {
  const std::tm utc = UtcPartsOf(Now);
  std::tm local{};
  local.tm_year = utc.tm_year;
  local.tm_mon = utc.tm_mon;
  local.tm_mday = utc.tm_mday + DayOffset;
  local.tm_isdst = -1;  // midnight by the zone's rule of that day
  TPlannedDay day;
  day.Midnight = crt::mktime(&local);
  day.Year = local.tm_year + 1900;
  day.Month = local.tm_mon + 1;
  day.Day = local.tm_mday;
  day.DateText = IntToStr(day.Month) + "/" + IntToStr(day.Day) + "/" + IntToStr(day.Year);
  return day;
}

std::vector<TPlanHour> PlanHoursOf(const TPlannedDay& Day) {
  std::vector<TPlanHour> hours;
  // Each column is a local h:00. Stepping a whole hour from midnight would carry a half-hour
  // change (02:00 to 02:30) into every later column, so the day is walked in quarter hours,
  // the finest step by which a zone's offset changes, and the instants on a full local hour
  // are kept. The walk is bounded by the local date, not by reaching 23:00: a zone whose change
  // skips 23:00 would otherwise run on into the next day, and one that turns back across
  // midnight shows a moment of the day before, which belongs to no column.
  constexpr crt::time_t Quarter = 900;
  constexpr crt::time_t Longest = 27 * 3600;  // the longest local day, with margin
  const int planned = Day.Year * 10000 + Day.Month * 100 + Day.Day;
  for (crt::time_t t = Day.Midnight; t < Day.Midnight + Longest; t += Quarter) {
    const std::tm local = LocalWallTime(t);
    const int date = (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
    if (date > planned) break;
    if (date < planned || local.tm_min != 0 || local.tm_sec != 0) continue;
    hours.push_back({local.tm_hour, t, UtcInstantOf(t)});
  }
  return hours;
}

String PlanLocalTimeText(const std::vector<TPlanHour>& Hours) {
  std::array<const TPlanHour*, 24> shown{};
  for (const TPlanHour& h : Hours) shown[static_cast<size_t>(h.LocalHour)] = &h;
  std::vector<TOffsetRun> runs;
  for (const TPlanHour* h : shown)
    if (h != nullptr) AddOffsetRun(runs, h->Instant);
  if (runs.size() == 1)
    return "local time (" + UtcOffsetText(runs[0].OffsetMinutes) +
           (runs[0].Daylight ? ", DST)" : ")");
  return "local time: " + OffsetRunsText(runs, [](crt::time_t T) {
           return FormatFloat("00", LocalWallTime(T).tm_hour) + ":00";
         });
}

// ---- the PLAN rows ----------------------------------------------------------------------

namespace {

constexpr double Band400Low = 390, Band400High = 500;
constexpr double Band1400Low = 1000, Band1400High = 1500;
constexpr double Jansky = 1e-26;             // W m^-2 Hz^-1
constexpr double TwiceBoltzmann = 2.76e-23;  // 2 k, J/K, as the receiver figures take it

String CellText(const TSkyPosition& Position, const THorizonProfile& Horizon) {
  const int a = WholeAzimuth(Position.Azimuth), e = WholeDegrees(Position.Elevation);
  if (!Horizon.Visible(a, e)) return String();
  return IntToStr(a) + ":" + IntToStr(e);
}

void FillHours(TPlanRow& Row, const TSkyObject& Object, const TObserver& Observer,
               const std::vector<TPlanHour>& Hours, const THorizonProfile& Horizon) {
  // A repeated hour (end of daylight time) is overwritten by its second instant.
  for (const TPlanHour& h : Hours)
    Row.Hours[static_cast<size_t>(h.LocalHour)] =
        CellText(PositionOf(Object, Observer, h.Utc), Horizon);
}

}  // namespace

double PlanSignalToNoise(const TKestalState& State, const TBandRow& Row, bool Band400) {
  const double s = (Band400 ? Row[bcS400] : Row[bcS1400]) / 1000;  // Jy
  const double w = Row[bcW50] / 1000;                              // s
  const double p = Row[bcP0];                                      // s
  if (!(w > 0 && w < p)) return std::numeric_limits<double>::quiet_NaN();
  const double sn =
      std::sqrt(State.Receiver.IntegrationBandwidth * 1000 * State.Receiver.IntegrationTime) *
      (s * Jansky) * (State.Figures.EffectiveAperture / TwiceBoltzmann) /
      (State.Figures.Tsys * std::sqrt(w / (p - w)));
  return std::isfinite(sn) ? sn : std::numeric_limits<double>::quiet_NaN();
}

TPlanResult ComputePlan(const TKestalState& State, const THorizonProfile& Horizon, crt::time_t Now,
                        int DayOffset) {
  TPlanResult result;
  result.Day = PlannedDayOf(Now, DayOffset);
  const std::vector<TPlanHour> hours = PlanHoursOf(result.Day);
  result.LocalTimeText = PlanLocalTimeText(hours);
  const TObserver observer{State.Location.Latitude, State.Location.Longitude};

  const double f = State.Receiver.Frequency;
  const bool band400 = f > Band400Low && f < Band400High;
  const bool band1400 = f > Band1400Low && f < Band1400High;
  const int count = band400 ? State.Count400 : band1400 ? State.Count1400 : 0;
  constexpr int MaxRows = static_cast<int>(TWorkingTable::size()) / BandColumnCount;
  result.PulsarCount = std::max(0, std::min(count, MaxRows));

  result.Rows.resize(PlannerObjectCount + static_cast<size_t>(result.PulsarCount));
  for (size_t k = 0; k < PlannerObjectCount; ++k) {
    result.Rows[k].Name = PlanObjects()[k].Name;
    FillHours(result.Rows[k], PlanObjects()[k], observer, hours, Horizon);
  }
  constexpr size_t NamesPerBlock = 5000;
  for (int r = 0; r < result.PulsarCount; ++r) {
    const TBandRow row(State.PulsarTable, r);
    TPlanRow& out = result.Rows[PlannerObjectCount + static_cast<size_t>(r)];
    const int nameIndex = row.NameIndex();
    if (nameIndex >= 1 && static_cast<size_t>(nameIndex) <= NamesPerBlock)
      out.Name = State.PulsarNames[static_cast<size_t>(nameIndex - 1)];
    const double sn = PlanSignalToNoise(State, row, band400);
    if (!std::isnan(sn)) out.SignalToNoise = FormatFloat("#0", sn);
    const TSkyObject pulsar{"", skFixed, row[bcRaj] / 15, row[bcDecj]};
    FillHours(out, pulsar, observer, hours, Horizon);
  }
  return result;
}

// ---- detection notes --------------------------------------------------------------------

TNoteMap ReadNotes(const String& FileName) {
  TNoteMap notes;
  String bytes;
  if (!ReadUserFile(FileName, bytes)) return notes;
  const std::vector<String> lines = SplitTextLines(bytes);
  // Later pairs overwrite earlier ones: the last note recorded for a name is shown.
  for (size_t i = 0; i + 1 < lines.size(); i += 2) notes[lines[i]] = lines[i + 1];
  return notes;
}

namespace {

String OneLine(String Text) {
  for (char& c : Text)
    if (c == '\r' || c == '\n' || c == '\x1a') c = ' ';
  return Text;
}

}  // namespace

void AppendNote(const String& FileName, const String& Name, const String& Note) {
  String bytes;
  ReadUserFile(FileName, bytes);
  // A file that a hand edit left without its last line end still gets whole pairs.
  if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  bytes += OneLine(Name) + "\r\n" + OneLine(Note) + "\r\n";
  if (!WriteFileReplacing(FileName, bytes))
    throw EInOutError("Cannot write " + FileName + ": the note was not recorded");
}

// ---- drift scan -------------------------------------------------------------------------

const std::array<int, DriftOffsetCount>& DriftOffsetsMinutes() {
  static const std::array<int, DriftOffsetCount> offsets{10, 20, 30, 40, 60, 120};
  return offsets;
}

TDriftTable ComputeDriftScan(const TObserver& Observer, const THorizonProfile& Horizon,
                             const std::function<crt::time_t()>& Now) {
  TDriftTable table;
  table[0][0] = "Object";
  for (size_t j = 1; j <= DriftOffsetCount; ++j) {
    const int minutes = DriftOffsetsMinutes()[j - 1];
    for (size_t c = 1; c <= PlannerObjectCount; ++c) {
      const crt::time_t t = Now() + static_cast<crt::time_t>(minutes) * 60;
      const TSkyObject& object = DriftObjects()[c - 1];
      const TSkyPosition p = PositionOf(object, Observer, UtcInstantOf(t));
      table[c][0] = object.Name;
      table[c][j] =
          Horizon.Visible(p.Azimuth, p.Elevation)
              ? AzimuthText(p.Azimuth, "#000.00") + " : " + FormatFloat("#00.00", p.Elevation)
              : String();
      constexpr size_t ClockOffset = 11, ClockLength = 8;  // hh:mm:ss in an asctime text
      table[0][j] = "+" + IntToStr(minutes) + "min.(" +
                    crt::AsctimeText(LocalWallTime(t)).substr(ClockOffset, ClockLength) + ")";
    }
  }
  return table;
}
