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
// at 19 and the longitude from characters 29-40. A name longer than 16 characters would push
// the numbers out of those columns, so such a record is never written.

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
// True when a name fits the record's name column.
bool LocationNameFits(const String& Name);

// The ten lines of a record (without line ends). The name must fit.
std::vector<String> ComposeLocationRecord(const TLocationRecord& Record);

// Name, latitude and longitude from line 1 of a record. False when a number does not convert.
bool ReadLocationHeadLine(const String& Line, String& Name, double& Latitude, double& Longitude);

// The entries of the saved-location list for the lines after the heading: line 1 of every
// record, in file order, then one empty entry.
std::vector<String> LocationListEntries(const std::vector<String>& SavedLines);

// Record Index (0-based) of the lines after the heading. False when the record is incomplete or
// a number in it does not convert; Record is then unchanged.
bool ReadLocationRecord(const std::vector<String>& SavedLines, int Index, TLocationRecord& Record);
