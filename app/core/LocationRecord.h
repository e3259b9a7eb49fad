#pragma once
// Saved observer locations: the ten-line records after the line "KESTAL LOCATIONS :" of the
// configuration file.
//
//   1  name padded with blanks to 16 characters, latitude and longitude each right-aligned
//      in 12 characters with 4 decimals ("%-16s%12.4f%12.4f": 40 characters)
//   2  latitude degrees   3 minutes   4 seconds      (no decimals)
//   5  N or S
//   6  longitude degrees  7 minutes   8 seconds      (no decimals)
//   9  E or W, or empty
//   10 locator, as stored
//
// A reader takes the name from characters 1-16, the latitude from the 12 characters starting
// at 19 and the longitude from characters 29-40. Characters are code points, so a name with
// letters beyond ASCII keeps the numbers in their columns. A name longer than 16 characters
// would push the numbers out of those columns, so such a record is never written.
//
// A section edited by hand or cut short need not be a whole number of records. The reader
// takes a record wherever ten lines form one, and names the lines between records that do
// not; they stay in the file as they are.

#include <vector>

#include "System.h"

inline constexpr int LocationRecordLines = 10;
inline constexpr size_t LocationNameWidth = 16;

struct TLocationRecord {
  String Name;
  double Latitude = 0, Longitude = 0;
  double LatitudeDeg = 0, LatitudeMin = 0, LatitudeSec = 0;
  String NorthSouth;
  double LongitudeDeg = 0, LongitudeMin = 0, LongitudeSec = 0;
  String EastWest;
  String Locator;
};

// The name as a record stores it: padded with blanks to 16 characters; control characters
// (which would break the record into more lines) become blanks.
String PaddedLocationName(const String& Name);
// True when a name fits the record's name column (16 characters at most).
bool LocationNameFits(const String& Name);
// Characters of a name, as the dialog counts them.
size_t LocationNameLength(const String& Name);

// The ten lines of a record (without line ends). The name must fit.
std::vector<String> ComposeLocationRecord(const TLocationRecord& Record);

// Name, latitude and longitude from line 1 of a record. False when a number does not convert.
bool ReadLocationHeadLine(const String& Line, String& Name, double& Latitude, double& Longitude);

struct TSavedLocations {
  std::vector<TLocationRecord> Records;  // the sound records, in file order
  std::vector<String> HeadLines;         // line 1 of each, as the list shows it
  // One text per run of lines that is no record ("Lines 45-51: 'Home   52.1'"); runs of
  // blank lines are left out silently.
  std::vector<String> Problems;
};

// The records of the lines after the heading; FirstLine is the file's line number of
// SavedLines[0], for the problem texts.
TSavedLocations ReadSavedLocations(const std::vector<String>& SavedLines, int FirstLine = 1);

// The entries of the saved-location list: line 1 of every sound record, in file order, then
// one empty entry.
std::vector<String> LocationListEntries(const TSavedLocations& Saved);
