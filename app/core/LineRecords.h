#pragma once
// Records of a fixed number of lines in the text files the user keeps (saved locations, noise
// measurements).
//
// A file edited by hand, cut short or missing a line need not be a whole number of records.
// A reader takes a record wherever its lines form one and re-synchronises on the next line
// where a record starts, so one damaged record hides none of those after it; the lines
// between records that form none are named to the user and kept in the file as they are.

#include <functional>
#include <vector>

#include "System.h"

struct TLineRun {
  size_t First = 0;     // index of the first line
  size_t End = 0;       // one past the last line
  bool Record = false;  // the lines form a record; else they form none
};

// Splits the lines 0 .. Count-1 into records and the runs between them. A record of
// RecordLines lines starts at every line First where RecordStartsAt(First) holds (asked only
// while RecordLines lines remain) and is taken whole; lines that start none form a run that
// ends where the next record starts.
std::vector<TLineRun> SplitLineRecords(size_t Count, size_t RecordLines,
                                       const std::function<bool(size_t First)>& RecordStartsAt);

// Whether the line is empty or blanks and tabs only.
bool IsBlankLine(const String& Line);
// The first line of the run that is not blank; Run.End when all are.
size_t FirstTextLine(const std::vector<String>& Lines, const TLineRun& Run);

// Text as a record line holds it: control characters, which would break the record into more
// lines or end the file for a reader, become blanks.
String RecordLineText(const String& Text);
