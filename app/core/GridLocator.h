#pragma once
// Maidenhead (QRA) grid locators: pairs of symbols, longitude before latitude in each pair,
// from the 20 x 10 degree field down to the extended square of 0.5 x 0.25 minutes.

#include "System.h"

// The eight-character locator of a position in degrees (north and east positive). Nothing is
// clamped: latitude +90 gives "S" (one past "R") as second letter.
String LatLonToLocator(double Latitude, double Longitude);

// The centre of the square a locator of 4, 6 or 8 characters names (any case; four characters
// are read as the subsquare "IL" of that square). False, with the outputs untouched, for any
// other length or a symbol out of range.
bool LocatorToLatLon(const String& Locator, double& Latitude, double& Longitude);
