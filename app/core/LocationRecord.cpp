#include "LocationRecord.h"

#include <charconv>

#include "DOV_utf8.h"
#include "InputNumbers.h"
#include "LineRecords.h"

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

// Count characters of Text from character First (0-based); fewer at its end.
String Chars(const String& Text, size_t First, size_t Count) {
  size_t i = 0;
  for (size_t n = 0; n < First && i < Text.size(); ++n) utf8::NextChar(Text, i);
  const size_t from = i;
  for (size_t n = 0; n < Count && i < Text.size(); ++n) utf8::NextChar(Text, i);
  return Text.substr(from, i - from);
}

// How much of a damaged line a message quotes.
constexpr size_t QuotedChars = 40;

// The program's one conversion of kept numbers: blanks around allowed, finite only.
bool NumberIn(const String& Text, double& Value) {
  return CheckNumberText(Text, Value) == TNumberCheck::Valid;
}

}  // namespace

String PaddedLocationName(const String& Name) {
  String name = RecordLineText(Name);
  const size_t length = LocationNameLength(name);
  if (length < LocationNameWidth) name.append(LocationNameWidth - length, ' ');
  return name;
}

bool LocationNameFits(const String& Name) { return LocationNameLength(Name) <= LocationNameWidth; }

size_t LocationNameLength(const String& Name) { return utf8::CharCount(Name); }

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
  double lat = 0;
  double lon = 0;
  if (!NumberIn(Chars(Line, 18, 12), lat) || !NumberIn(Chars(Line, 28, 12), lon)) return false;
  Name = Chars(Line, 0, LocationNameWidth);
  Latitude = lat;
  Longitude = lon;
  return true;
}

namespace {

// The record whose ten lines start at First, when they form one.
bool RecordAt(const std::vector<String>& Lines, size_t First, TLocationRecord& Record) {
  if (First + LocationRecordLines > Lines.size()) return false;
  auto line = [&](int n) -> const String& { return Lines[First + static_cast<size_t>(n) - 1]; };
  TLocationRecord r;
  if (!ReadLocationHeadLine(line(1), r.Name, r.Latitude, r.Longitude)) return false;
  if (!NumberIn(line(2), r.LatitudeDeg) || !NumberIn(line(3), r.LatitudeMin) ||
      !NumberIn(line(4), r.LatitudeSec) || !NumberIn(line(6), r.LongitudeDeg) ||
      !NumberIn(line(7), r.LongitudeMin) || !NumberIn(line(8), r.LongitudeSec))
    return false;
  // A record cut short runs into the next one: its text lines would then hold that record's
  // first line.
  String name;
  double lat = 0;
  double lon = 0;
  for (int n : {5, 9, 10})
    if (ReadLocationHeadLine(line(n), name, lat, lon)) return false;
  r.NorthSouth = line(5);
  r.EastWest = line(9);
  r.Locator = line(10);
  Record = r;
  return true;
}

}  // namespace

TSavedLocations ReadSavedLocations(const std::vector<String>& SavedLines, int FirstLine) {
  TSavedLocations saved;
  TLocationRecord r;
  const std::vector<TLineRun> runs =
      SplitLineRecords(SavedLines.size(), LocationRecordLines,
                       [&](size_t First) { return RecordAt(SavedLines, First, r); });
  for (const TLineRun& run : runs) {
    if (run.Record) {
      RecordAt(SavedLines, run.First, r);
      saved.Records.push_back(r);
      saved.HeadLines.push_back(SavedLines[run.First]);
      continue;
    }
    const size_t text = FirstTextLine(SavedLines, run);
    if (text == run.End) continue;  // blank lines are passed over silently
    const String& shown = SavedLines[text];
    const String quoted = Chars(shown, 0, QuotedChars);
    const auto number = [&](size_t k) { return std::to_string(FirstLine + static_cast<int>(k)); };
    saved.Problems.push_back((run.End - run.First == 1
                                  ? "Line " + number(run.First)
                                  : "Lines " + number(run.First) + "-" + number(run.End - 1)) +
                             ": '" + quoted + (quoted.size() < shown.size() ? "...'" : "'"));
  }
  return saved;
}

std::vector<String> LocationListEntries(const TSavedLocations& Saved) {
  std::vector<String> entries = Saved.HeadLines;
  entries.emplace_back();
  return entries;
}
