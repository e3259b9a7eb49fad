#pragma once
// The visibility and tracking tables of the selected pulsar, as plain rows: where it stands at
// regular steps from now on, for the next 24 hours or the next month.

#include <functional>
#include <vector>

#include "TimeBase.h"

enum class TTableKind { Tracking24h, TrackingMonth, Visibility24h, VisibilityMonth };

struct TTableSpec {
  const char* Caption;      // of the table window
  const char* TitlePrefix;  // followed by the pulsar's name
  int RowsComputed;
  int StepSeconds;
  bool AboveHorizonOnly;  // a visibility table keeps only rows with elevation > 0
  bool RepaintEachStep;   // the one-month tables keep the main window painted meanwhile
};

const TTableSpec& TableSpecOf(TTableKind Kind);

struct TTableRow {
  crt::time_t Instant = 0;
  String UtcText;    // asctime text of the row's UTC time
  String LocalText;  // asctime text of the row's local wall-clock time
  double Azimuth = 0;
  double Elevation = 0;
};

// Where the object is to be found.
struct TTableTarget {
  double Latitude = 0, Longitude = 0;  // observer, degrees (as stored, unchanged)
  double RightAscension = 0;           // hours
  double Declination = 0;              // degrees
};

// Computes the table's rows from Start on: each row's true UTC and the local time the clock
// shows at that instant, also across a change between standard and daylight time. Step, when
// set, is called after every computed step (kept or not) with its index.
std::vector<TTableRow> ComputeTable(TTableKind Kind, const TTableTarget& Target, crt::time_t Start,
                                    const std::function<void(int)>& Step = nullptr);

// The note under a table: which offset from UTC its local times use, and where it changes;
// empty for a table without rows.
String TableNote(const std::vector<TTableRow>& Rows);

namespace TableTexts {
inline constexpr const char* DstNotActive =
    "Please note that above table is calculated assuming DST NOT ACTIVE";
inline constexpr const char* DstActive =
    "Please note that above table is calculated assuming DST ACTIVE";
}  // namespace TableTexts
