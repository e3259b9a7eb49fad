#include "LineRecords.h"

std::vector<TLineRun> SplitLineRecords(size_t Count, size_t RecordLines,
                                       const std::function<bool(size_t First)>& RecordStartsAt) {
  const auto startsAt = [&](size_t i) { return i + RecordLines <= Count && RecordStartsAt(i); };
  std::vector<TLineRun> runs;
  size_t i = 0;
  while (i < Count) {
    if (startsAt(i)) {
      runs.push_back({i, i + RecordLines, true});
      i += RecordLines;
      continue;
    }
    // Lines up to where the next record starts are no record.
    size_t end = i + 1;
    while (end < Count && !startsAt(end)) ++end;
    runs.push_back({i, end, false});
    i = end;
  }
  return runs;
}

bool IsBlankLine(const String& Line) { return Line.find_first_not_of(" \t") == String::npos; }

size_t FirstTextLine(const std::vector<String>& Lines, const TLineRun& Run) {
  size_t i = Run.First;
  while (i < Run.End && IsBlankLine(Lines[i])) ++i;
  return i;
}

String RecordLineText(const String& Text) {
  String s = Text;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7f') c = ' ';
  return s;
}
