#include "TrackingTable.h"

const TTableSpec& TableSpecOf(TTableKind Kind) {
  static const TTableSpec specs[] = {
      {"24h Pulsar tracking", "Next 24 hours Pulsar full tracking table : ", 48, 1800, false,
       false},
      {"1 Month Pulsar tracking", "1 Month Pulsar full tracking table : ", 720, 3600, false, true},
      {"24h Pulsar visibility", "Next 24 hours Pulsar visibility : ", 48, 1800, true, false},
      {"1 Month Pulsar visibility", "1 Month Pulsar visibility : ", 720, 3600, true, true},
  };
  return specs[static_cast<int>(Kind)];
}

std::vector<TTableRow> ComputeTable(TTableKind Kind, const TTableTarget& Target, crt::time_t Start,
                                    const std::function<void(int)>& Step) {
  const TTableSpec& spec = TableSpecOf(Kind);
  std::vector<TTableRow> rows;
  rows.reserve(static_cast<size_t>(spec.RowsComputed));
  for (int k = 0; k < spec.RowsComputed; ++k) {
    const crt::time_t t = Start + static_cast<crt::time_t>(k) * spec.StepSeconds;
    const std::tm utc = UtcPartsOf(t);
    Astral a;
    a.Latitude = Target.Latitude;
    a.Longitude = Target.Longitude;
    a.Frequency = 1296.0;
    a.Elevation = 300.0;
    a.UtcTime = Astral::UtcTimeFrom(utc);
    a.TrackObject(Target.RightAscension, Target.Declination);
    if (!spec.AboveHorizonOnly || a.Elevation > 0) {
      TTableRow row;
      row.Instant = t;
      row.UtcText = crt::AsctimeText(utc);
      row.LocalText = crt::AsctimeText(LocalWallTime(t));
      row.Azimuth = a.Azimuth;
      row.Elevation = a.Elevation;
      rows.push_back(std::move(row));
    }
    if (Step) Step(k);
  }
  return rows;
}

String TableNote(const std::vector<TTableRow>& Rows) {
  std::vector<TOffsetRun> runs;
  for (const TTableRow& r : Rows) AddOffsetRun(runs, r.Instant);
  return TableOffsetNote(runs, TableTexts::DstActive, TableTexts::DstNotActive);
}
