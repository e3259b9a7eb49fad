#include "Unit1Config.h"

#include <fstream>
#include <iterator>
#include <locale>
#include <sstream>

#include "SysUtils.h"
#include "TextFile.h"

namespace {

bool ReadFileLines(const String& FileName, std::vector<String>& Lines) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return false;
  String bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Lines = SplitTextLines(bytes);
  return true;
}

// Line n (1-based) of the file, empty past its end.
String LineAt(const std::vector<String>& Lines, size_t n) {
  return n >= 1 && n <= Lines.size() ? Lines[n - 1] : String();
}

double PositionNumber(const std::vector<String>& Lines, size_t n) {
  return static_cast<double>(StrToFloat(LineAt(Lines, n)));
}

}  // namespace

TConfigReadResult ReadConfigFile(const String& FileName, TKestalConfig& Config) {
  std::vector<String> lines;
  if (!ReadFileLines(FileName, lines)) return TConfigReadResult::Missing;
  if (LineAt(lines, 1) != ConfigHeader) return TConfigReadResult::WrongHeader;

  TKestalConfig c;
  c.LocationName = LineAt(lines, 2);
  c.Latitude = PositionNumber(lines, 3);
  c.Longitude = PositionNumber(lines, 4);
  c.LatitudeDeg = PositionNumber(lines, 5);
  c.LatitudeMin = PositionNumber(lines, 6);
  c.LatitudeSec = PositionNumber(lines, 7);
  c.NorthSouth = LineAt(lines, 8);
  c.LongitudeDeg = PositionNumber(lines, 9);
  c.LongitudeMin = PositionNumber(lines, 10);
  c.LongitudeSec = PositionNumber(lines, 11);
  c.EastWest = LineAt(lines, 12);
  c.Locator = LineAt(lines, 13);
  c.ModeCode = LineAt(lines, 14);
  for (size_t i = 0; i < cfFieldCount; ++i) c.Fields[i] = LineAt(lines, 15 + i);
  // Line 29 came later than the rest: older files go straight to the locations heading.
  // A file that simply ends there means the same.
  if (lines.size() < 29 || lines[28] == LocationsHeading)
    c.ReceiverBandwidth = "3000";
  else
    c.ReceiverBandwidth = lines[28];
  Config = std::move(c);
  return TConfigReadResult::Read;
}

String ModeCodeOf(bool DishAntenna, bool PulsarMode) {
  return String(DishAntenna ? "D" : "O") + (PulsarMode ? "P" : "E");
}

bool ModeCodeIsDish(const String& Code) { return Code == "D" || Code == "DP" || Code == "DE"; }

bool ModeCodeIsPulsarMode(const String& Code) {
  return Code == "D" || Code == "DP" || Code == "O" || Code == "OP";
}

String ConfigNumberText(double Value) {
  std::ostringstream os;
  os.imbue(std::locale::classic());
  os << Value;
  return os.str();
}

std::vector<String> ReadSavedLocationLines(const String& FileName) {
  std::vector<String> lines;
  if (!ReadFileLines(FileName, lines)) return {};
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == LocationsHeading) return std::vector<String>(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end());
  return {};
}

String ComposeConfigText(const TKestalConfig& Config, const std::array<double, cfFieldCount>& Numbers,
                         double ReceiverBandwidthHz, const std::vector<String>& Locations) {
  String out;
  auto line = [&out](const String& s) {
    out += s;
    out += '\n';
  };
  auto number = [&line](double v) { line(ConfigNumberText(v)); };
  line(ConfigHeader);
  line(Config.LocationName);
  number(Config.Latitude);
  number(Config.Longitude);
  number(Config.LatitudeDeg);
  number(Config.LatitudeMin);
  number(Config.LatitudeSec);
  line(Config.NorthSouth);
  number(Config.LongitudeDeg);
  number(Config.LongitudeMin);
  number(Config.LongitudeSec);
  line(Config.EastWest);
  line(Config.Locator);
  line(Config.ModeCode);
  for (size_t i = 0; i < cfFieldCount; ++i)
    number(i == cfAtmosphereTemperature ? 0.0 : Numbers[i]);
  number(ReceiverBandwidthHz);
  line(LocationsHeading);
  for (const String& s : Locations) line(s);
  return out;
}
