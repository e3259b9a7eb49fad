#include "TimeBase.h"

#include <cstdlib>

#include "SysUtils.h"

TZoneState ReadZoneState() {
  TZoneState zone;
  zone.State = GetTimeZoneInformation(zone.Info);
  return zone;
}

std::tm LocalWallTime(crt::time_t Instant) { return *crt::localtime(&Instant); }

std::tm UtcPartsOf(crt::time_t Instant) {
  std::tm parts = *crt::gmtime(&Instant);
  parts.tm_isdst = 0;
  return parts;
}

Astral::TUtcTime UtcInstantOf(crt::time_t Instant) {
  return Astral::UtcTimeFrom(UtcPartsOf(Instant));
}

Astral::TUtcTime UtcNow() { return UtcInstantOf(crt::time(nullptr)); }

String ZoneCaption(const TZoneState& Zone) {
  if (Zone.State == TIME_ZONE_ID_STANDARD)
    return TimeTexts::ZonePrefix + Zone.Info.StandardName + " (Not DST)";
  if (Zone.State == TIME_ZONE_ID_DAYLIGHT)
    return TimeTexts::ZonePrefix + Zone.Info.DaylightName + " (DST)";
  return TimeTexts::ZoneUnknown;
}

void AddOffsetRun(std::vector<TOffsetRun>& Runs, crt::time_t Instant) {
  bool daylight = false;
  const int offset = LocalOffsetMinutes(static_cast<double>(Instant), &daylight);
  AddOffsetRun(Runs, Instant, offset, daylight);
}

void AddOffsetRun(std::vector<TOffsetRun>& Runs, crt::time_t Instant, int OffsetMinutes,
                  bool Daylight) {
  if (!Runs.empty() && Runs.back().OffsetMinutes == OffsetMinutes &&
      Runs.back().Daylight == Daylight) {
    Runs.back().Last = Instant;
    return;
  }
  Runs.push_back({Instant, Instant, OffsetMinutes, Daylight});
}

String UtcOffsetText(int OffsetMinutes) {
  const int a = std::abs(OffsetMinutes);
  return String("UTC") + (OffsetMinutes < 0 ? "-" : "+") + FormatFloat("00", a / 60) + ":" +
         FormatFloat("00", a % 60);
}

String LocalTimeLabel(crt::time_t Instant) {
  String text = crt::AsctimeText(LocalWallTime(Instant));
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

String OffsetRunsText(const std::vector<TOffsetRun>& Runs,
                      const std::function<String(crt::time_t)>& Label) {
  String text;
  for (size_t i = 0; i < Runs.size(); ++i) {
    const TOffsetRun& r = Runs[i];
    if (i > 0) text += ", ";
    text += UtcOffsetText(r.OffsetMinutes);
    if (Runs.size() == 1) break;
    if (r.Daylight) text += " (DST)";
    if (i == 0)
      text += " up to " + Label(r.Last);
    else if (i + 1 == Runs.size())
      text += " from " + Label(r.First) + " on";
    else
      text += " from " + Label(r.First) + " to " + Label(r.Last);
  }
  return text;
}

String TableOffsetNote(const std::vector<TOffsetRun>& Runs, const char* DstActive,
                       const char* DstNotActive) {
  if (Runs.empty()) return String();
  if (Runs.size() == 1)
    return String(Runs[0].Daylight ? DstActive : DstNotActive) + " (local time = " +
           OffsetRunsText(Runs) + ")";
  return TimeTexts::SpansAChange + OffsetRunsText(Runs);
}
