#include "TrackingPlan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "CalendarMath.h"
#include "SysUtils.h"
#include "Threads.h"

namespace {

constexpr std::int64_t SecondsPerDay = 86400;
constexpr size_t RowsPerChunk = 2048;

long long DayNumber(const TCalendarDate& D) {
  return calendar::DaysFromCivil(D.Year, static_cast<unsigned>(D.Month),
                                 static_cast<unsigned>(D.Day));
}

std::tm BrokenDown(std::int64_t Seconds) {
  const crt::time_t t = static_cast<crt::time_t>(Seconds);
  return *crt::gmtime(&t);  // thread-local buffer: safe in the workers
}

}  // namespace

int TrackingDays(const TCalendarDate& Start, const TCalendarDate& Stop) {
  return static_cast<int>(DayNumber(Stop) - DayNumber(Start) + 1);
}

int TrackingRowEstimate(int Days, int IntervalMinutes) {
  constexpr int MinutesPerDay = 1440;
  return IntervalMinutes > 0 ? Days * MinutesPerDay / IntervalMinutes : 0;
}

String TTrackingPlan::TimeText(int Row) const {
  if (Row < 0 || Row >= RowCount()) return String();
  return crt::AsctimeText(BrokenDown(FLocalSeconds[static_cast<size_t>(Row)]));
}

String TTrackingPlan::CellText(int Row, int Column) const {
  if (Row < 0 || Row >= RowCount() || Column < 1 || Column > PlannerObjectCount) return String();
  const TCell& c = Cell(Row, Column);
  if (!c.Visible) return TrackingTexts::Hidden;
  return IntToStr(c.Azimuth) + " : " + IntToStr(c.Elevation);
}

String TTrackingPlan::LocalTimeNote() const {
  if (FOffsetRuns.empty()) return String();
  return FOffsetRuns.size() == 1 ? "Local time = " + OffsetRunsText(FOffsetRuns)
                                 : "Local time: " + OffsetRunsText(FOffsetRuns);
}

void TTrackingPlan::Clear() {
  std::vector<crt::time_t>().swap(FInstants);
  std::vector<std::int64_t>().swap(FLocalSeconds);
  std::vector<TOffsetRun>().swap(FOffsetRuns);
  std::vector<TCell>().swap(FCells);
}

bool ComputeTrackingPlan(const TTrackingRequest& Request, TTrackingPlan& Plan,
                         const std::function<bool(double)>& Progress, int Threads) {
  Plan.Clear();
  if (Request.Stop.Year > LastTrackingYear || Request.IntervalMinutes <= 0) return true;

  // The rows: from local midnight of the start date while the local date is not after the stop
  // date. Only these conversions need the zone; the workers take plain calendar arithmetic.
  std::tm midnight{};
  midnight.tm_year = Request.Start.Year - 1900;
  midnight.tm_mon = Request.Start.Month - 1;
  midnight.tm_mday = Request.Start.Day;
  midnight.tm_isdst = -1;
  const crt::time_t first = crt::mktime(&midnight);
  const long long lastDay = DayNumber(Request.Stop);
  const std::int64_t step = static_cast<std::int64_t>(Request.IntervalMinutes) * 60;
  const int days = TrackingDays(Request.Start, Request.Stop);
  const size_t estimate = static_cast<size_t>(std::max(0, days)) * 1440 /
                              static_cast<size_t>(Request.IntervalMinutes) +
                          64;
  Plan.FInstants.reserve(estimate);
  Plan.FLocalSeconds.reserve(estimate);
  for (std::int64_t t = first;; t += step) {
    bool daylight = false;
    const auto local =
        static_cast<std::int64_t>(UtcToLocalSeconds(static_cast<double>(t), &daylight));
    if (calendar::FloorDiv(local, SecondsPerDay) > lastDay) break;
    Plan.FInstants.push_back(static_cast<crt::time_t>(t));
    Plan.FLocalSeconds.push_back(local);
    AddOffsetRun(Plan.FOffsetRuns, static_cast<crt::time_t>(t),
                 static_cast<int>(calendar::FloorDiv(local - t, 60)), daylight);
  }

  const size_t rows = Plan.FLocalSeconds.size();
  Plan.FCells.resize(rows * PlannerObjectCount);
  const size_t chunks = (rows + RowsPerChunk - 1) / RowsPerChunk;
  std::atomic<size_t> nextChunk{0}, rowsDone{0};
  std::atomic<bool> cancelled{false};

  auto work = [&] {
    for (size_t k; !cancelled && (k = nextChunk.fetch_add(1)) < chunks;) {
      const size_t end = std::min(rows, (k + 1) * RowsPerChunk);
      for (size_t r = k * RowsPerChunk; r < end; ++r) {
        const Astral::TUtcTime utc = Astral::UtcTimeFrom(BrokenDown(Plan.FInstants[r]));
        for (size_t c = 0; c < PlannerObjectCount; ++c) {
          const TSkyPosition p = PositionOf(DriftObjects()[c], Request.Observer, utc);
          const int a = WholeAzimuth(p.Azimuth), e = WholeDegrees(p.Elevation);
          TTrackingPlan::TCell& cell = Plan.FCells[r * PlannerObjectCount + c];
          cell.Azimuth = static_cast<std::int16_t>(std::clamp(a, -32768, 32767));
          cell.Elevation = static_cast<std::int8_t>(std::clamp(e, -128, 127));
          cell.Visible = Request.Horizon.Visible(a, e) ? 1 : 0;
        }
      }
      rowsDone += end - k * RowsPerChunk;
    }
  };

  const size_t cores = static_cast<size_t>(ProcessorCount());
  const size_t threads =
      std::min<size_t>(chunks, Threads > 0 ? static_cast<size_t>(Threads) : cores);
  std::vector<std::thread> pool;
  // The calling thread reports progress, so it computes only when nobody waits for progress.
  const size_t workers = Progress ? threads : (threads > 0 ? threads - 1 : 0);
  for (size_t i = 0; i < workers; ++i) pool.emplace_back(work);
  try {
    if (Progress) {
      while (rowsDone < rows && !cancelled) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        if (!Progress(rows ? static_cast<double>(rowsDone) / static_cast<double>(rows) : 1.0))
          cancelled = true;
      }
    } else {
      work();
    }
  } catch (...) {
    // The workers must end before the table they write goes away.
    cancelled = true;
    for (std::thread& t : pool) t.join();
    Plan.Clear();
    throw;
  }
  for (std::thread& t : pool) t.join();
  if (cancelled) {
    Plan.Clear();
    return false;
  }
  return true;
}
