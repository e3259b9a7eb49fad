#pragma once
// The culmination search: the next culminations (highest points above the horizon) of an
// object, found by stepping the engine through time, and the zone texts of the culmination
// window.
//
// The stepping rule: from 00:00 local time of the day after the current UTC date, the object
// is followed in one-minute steps while it is at or below 0 degrees, falling, or has just
// risen, and in one-second steps from the minute it is seen rising; a culmination is the first
// whole second at which it is no longer higher than a second before, reported with its
// position at that second; after each the search jumps 10 hours ahead.
//
// The search crosses the rising phase a minute at a time where the elevation rises at both
// ends of the minute, and steps single seconds only in the minute of the peak; the tests
// compare it with the plain one-second stepping (FindCulminationsPlain) on a recorded set of
// cases. It gives up after a year of searched time (an object that never rises above 0 degrees
// at the observer's place).

#include <functional>
#include <vector>

#include "Planning.h"

struct TCulmination {
  crt::time_t Instant = 0;
  double Azimuth = 0, Elevation = 0;
  String UtcText;    // asctime text of the UTC time, line end included
  String LocalText;  // asctime text of the local wall-clock time
};

struct TCulminationResult {
  std::vector<TCulmination> Rows;
  bool GaveUp = false;  // the time bound was reached before Count culminations
};

// A year of searched time (a day more than the longest polar night of the Sun needs).
constexpr crt::time_t CulminationSearchLimitSeconds = 366LL * 86400;

// 00:00 local time of the day after the current UTC date.
crt::time_t CulminationStart(crt::time_t Now);

// OnRow, when set, runs after each culmination found (the window shows it at once).
TCulminationResult FindCulminations(const TSkyObject& Object, const TObserver& Observer,
                                    crt::time_t Start, int Count = 30,
                                    const std::function<void(const TCulmination&)>& OnRow = {});
// The same search stepping every second of every rising phase.
TCulminationResult FindCulminationsPlain(const TSkyObject& Object, const TObserver& Observer,
                                         crt::time_t Start, int Count = 30);

// The culmination window's objects, by button: Moon, Sun, Cygnus-A, Taurus-A, Cassiopeia-A,
// Sagittarius-A, (the selected pulsar), 3C273.
const std::array<TSkyObject, 8>& CulminationObjects();

namespace CulminationTexts {
inline constexpr const char* Caption = "Next 30 culminations - THIS CAN TAKE SOME TIME !";
inline constexpr const char* DstNotActive =
    "Please note that above table is calculated assuming DST NOT ACTIVE";
inline constexpr const char* DstActive =
    "Please note that above table is calculated assuming DST ACIIVE";
inline constexpr const char* GaveUp =
    "No culmination within a year of searched time: the object does not rise above the "
    "horizon at this place.";
inline constexpr const char* NoDaylightSaving = "This time zone has no daylight saving time";
}  // namespace CulminationTexts

// The note under a search's rows: which offset from UTC their local times use (the sentence of
// the kind of time with the offset, or the runs of offsets when the rows span a change); empty
// without rows.
String CulminationNote(const std::vector<TCulmination>& Rows);

// The zone texts of the culmination window as it opens. For a zone without daylight saving time
// the two rule texts say so and the state texts are those of standard time.
struct TZoneTexts {
  String DaylightStarts;  // Edit1
  String DaylightEnds;    // Edit2
  String Bias;            // Edit3
  String ZoneName;        // Edit5
  String Note;            // Label1
};
TZoneTexts CulminationZoneTexts(const TZoneState& Zone);
