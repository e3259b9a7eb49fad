#pragma once
// The tracking planner's table: the eleven planner objects from 00:00 local time of a start date
// to the end of a stop date at a fixed interval, with "-" where an object is below the radio
// horizon.
//
// A year at one-minute steps is 525,600 rows by 11 objects, so the table keeps per row only the
// instant and its local wall-clock seconds and per cell the rounded azimuth and elevation with
// the visibility (4 bytes); the texts are made when a cell is shown, in the grid's exact formats. The engine
// calls are independent of each other and are spread over the machine's cores.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "Planning.h"

struct TCalendarDate {
  int Year = 0, Month = 0, Day = 0;  // month 1..12
};

namespace TrackingTexts {
inline constexpr const char* StopBeforeStart = " ERROR : Stop Date must be after Start date";
inline constexpr const char* WindowTooLong = " ERROR : Max 1 year time window allowed";
inline constexpr const char* ChooseInterval = "ERROR: Please use dropdown menu";
inline constexpr const char* Hidden = "-";
}  // namespace TrackingTexts

constexpr int MaxTrackingDays = 365;
// A stop date after this year leaves the table empty.
constexpr int LastTrackingYear = 2088;

struct TTrackingRequest {
  TObserver Observer;
  TCalendarDate Start, Stop;
  int IntervalMinutes = 60;
  THorizonProfile Horizon = THorizonProfile::Defaults();
};

class TTrackingPlan {
public:
  // Rows actually produced (the local date passes the stop date early or late across a change
  // of daylight time).
  int RowCount() const { return static_cast<int>(FLocalSeconds.size()); }
  // The local time of row r (0-based) as asctime writes it, line end included.
  String TimeText(int Row) const;
  // Object column Column (1..11) of row r: "az : el" or "-".
  String CellText(int Row, int Column) const;
  bool CellVisible(int Row, int Column) const { return Cell(Row, Column).Visible != 0; }
  int CellAzimuth(int Row, int Column) const { return Cell(Row, Column).Azimuth; }
  int CellElevation(int Row, int Column) const { return Cell(Row, Column).Elevation; }
  crt::time_t Instant(int Row) const { return FInstants[static_cast<size_t>(Row)]; }
  // Which offset from UTC the local times use: "Local time = UTC+01:00", or the runs of offsets
  // when the window spans a change ("Local time: UTC+01:00 up to ..., UTC+02:00 (DST) from ...
  // on"); empty without rows.
  String LocalTimeNote() const;
  void Clear();

private:
  friend bool ComputeTrackingPlan(const TTrackingRequest&, TTrackingPlan&,
                                  const std::function<bool(double)>&, int);
  struct TCell {
    std::int16_t Azimuth;
    std::int8_t Elevation;
    std::uint8_t Visible;
  };
  const TCell& Cell(int Row, int Column) const {
    return FCells[static_cast<size_t>(Row) * PlannerObjectCount + static_cast<size_t>(Column - 1)];
  }
  std::vector<crt::time_t> FInstants;       // each row's instant
  std::vector<std::int64_t> FLocalSeconds;  // local wall-clock seconds since 1970 of each row
  std::vector<TOffsetRun> FOffsetRuns;      // which offset the rows' local times use
  std::vector<TCell> FCells;                // row after row, 11 per row
};

// Rows the window's grid is sized to before computing: days x 1440 / interval.
int TrackingRowEstimate(int Days, int IntervalMinutes);
// Whole days from Start to Stop, both included (0 or less when Stop is before Start).
int TrackingDays(const TCalendarDate& Start, const TCalendarDate& Stop);

// Fills Plan. Progress, when set, is called on the calling thread every few tens of
// milliseconds with the part done (0..1); returning false cancels, and the function then
// returns false with Plan cleared. Threads 0 takes the machine's cores.
bool ComputeTrackingPlan(const TTrackingRequest& Request, TTrackingPlan& Plan,
                         const std::function<bool(double)>& Progress = nullptr, int Threads = 0);
