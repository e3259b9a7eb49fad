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

bool IsBlankRun(const std::vector<String>& Lines, const TLineRun& Run) {
  for (size_t i = Run.First; i < Run.End; ++i)
    if (Lines[i].find_first_not_of(" \t") != String::npos) return false;
  return true;
}

String RecordLineText(const String& Text) {
  String s = Text;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7f') c = ' ';
  return s;
}
