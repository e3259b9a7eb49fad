#include "LocationRecord.h"

#include <charconv>

#include "InputNumbers.h"

namespace {

// Fixed notation with a given number of decimals, "." whatever the locale, rounded as the C
// library's printf rounds (to nearest, on the exact binary value).
String Fixed(double Value, int Decimals) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
  return String(buf, res.ptr);
}

String RightAligned(const String& Text, size_t Width) {
  return Text.size() >= Width ? Text : String(Width - Text.size(), ' ') + Text;
}

// The program's one conversion of kept numbers: blanks around allowed, finite only.
bool NumberIn(const String& Text, double& Value) {
  return CheckNumberText(Text, Value) == TNumberCheck::Valid;
}

}  // namespace

String PaddedLocationName(const String& Name) {
  String name = Name;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7f') c = ' ';
  if (name.size() < LocationNameWidth) name.append(LocationNameWidth - name.size(), ' ');
  return name;
}

bool LocationNameFits(const String& Name) { return Name.size() <= LocationNameWidth; }

std::vector<String> ComposeLocationRecord(const TLocationRecord& Record) {
  return {PaddedLocationName(Record.Name) + RightAligned(Fixed(Record.Latitude, 4), 12) +
              RightAligned(Fixed(Record.Longitude, 4), 12),
          Fixed(Record.LatitudeDeg, 0),
          Fixed(Record.LatitudeMin, 0),
          Fixed(Record.LatitudeSec, 0),
          Record.NorthSouth,
          Fixed(Record.LongitudeDeg, 0),
          Fixed(Record.LongitudeMin, 0),
          Fixed(Record.LongitudeSec, 0),
          Record.EastWest,
          Record.Locator};
}

bool ReadLocationHeadLine(const String& Line, String& Name, double& Latitude, double& Longitude) {
  // The two number windows overlap in characters 29 and 30 (blanks for any longitude of at
  // most ten characters); this is how the records have always been read.
  const String latText = Line.size() > 18 ? Line.substr(18, 12) : String();
  const String lonText = Line.size() > 28 ? Line.substr(28, 12) : String();
  double lat = 0;
  double lon = 0;
  if (!NumberIn(latText, lat) || !NumberIn(lonText, lon)) return false;
  Name = Line.substr(0, LocationNameWidth);
  Latitude = lat;
  Longitude = lon;
  return true;
}

std::vector<String> LocationListEntries(const std::vector<String>& SavedLines) {
  std::vector<String> entries;
  for (size_t i = 0; i < SavedLines.size(); i += LocationRecordLines)
    entries.push_back(SavedLines[i]);
  entries.emplace_back();
  return entries;
}

bool ReadLocationRecord(const std::vector<String>& SavedLines, int Index, TLocationRecord& Record) {
  if (Index < 0) return false;
  const size_t first = static_cast<size_t>(Index) * LocationRecordLines;
  if (first + LocationRecordLines > SavedLines.size()) return false;
  auto line = [&](int n) -> const String& {
    return SavedLines[first + static_cast<size_t>(n) - 1];
  };
  TLocationRecord r;
  if (!ReadLocationHeadLine(line(1), r.Name, r.Latitude, r.Longitude)) return false;
  if (!NumberIn(line(2), r.LatitudeDeg) || !NumberIn(line(3), r.LatitudeMin) ||
      !NumberIn(line(4), r.LatitudeSec) || !NumberIn(line(6), r.LongitudeDeg) ||
      !NumberIn(line(7), r.LongitudeMin) || !NumberIn(line(8), r.LongitudeSec))
    return false;
  r.NorthSouth = line(5);
  r.EastWest = line(9);
  r.Locator = line(10);
  Record = r;
  return true;
}
