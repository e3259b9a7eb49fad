#include "TimeBase.h"

TZoneState ReadZoneState() {
  TZoneState zone;
  zone.State = GetTimeZoneInformation(zone.Info);
  return zone;
}

std::tm LocalWallTime(crt::time_t Instant) { return *crt::localtime(&Instant); }

std::tm UtcPartsOf(crt::time_t Instant, const TZoneState& Zone) {
  // Shift the wall-clock reading and break it down by plain calendar arithmetic, so day, month
  // and year roll over with it and no zone rule is applied twice.
  const double local = UtcToLocalSeconds(static_cast<double>(Instant));
  const crt::time_t shifted =
      static_cast<crt::time_t>(local) + static_cast<crt::time_t>(Zone.UtcOffsetMinutes()) * 60;
  std::tm parts = *crt::gmtime(&shifted);
  parts.tm_isdst = 0;
  return parts;
}

Astral::TUtcTime UtcInstantOf(crt::time_t Instant, const TZoneState& Zone) {
  return Astral::UtcTimeFrom(UtcPartsOf(Instant, Zone));
}

Astral::TUtcTime UtcNow() { return UtcInstantOf(crt::time(nullptr), ReadZoneState()); }

String ZoneCaption(const TZoneState& Zone) {
  if (Zone.State == TIME_ZONE_ID_STANDARD)
    return TimeTexts::ZonePrefix + Zone.Info.StandardName + " (Not DST)";
  if (Zone.State == TIME_ZONE_ID_DAYLIGHT)
    return TimeTexts::ZonePrefix + Zone.Info.DaylightName + " (DST)";
  return TimeTexts::ZoneUnknown;
}
