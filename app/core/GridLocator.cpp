#include "GridLocator.h"

#include <algorithm>
#include <cctype>

#include "SysUtils.h"

namespace {

// Sizes of the four pairs in degrees. They are the decimal values the locators were always
// computed with, not exact fractions: positions on a boundary fall where these put them.
struct TPairStep {
  double Longitude, Latitude;
};
constexpr TPairStep PairSteps[4] = {{20.0, 10.0},
                                    {2.0, 1.0},
                                    {0.0833333333333333, 0.0416666666666667},
                                    {0.0083333333333333, 0.0041666666666667}};

// The last index of each pair: fields A..R, squares 0..9, subsquares A..X, extended 0..9.
constexpr int PairLast[4] = {17, 9, 23, 9};

bool InRange(char C, char First, char Last) { return C >= First && C <= Last; }

}  // namespace

String LatLonToLocator(double Latitude, double Longitude) {
  String locator = "AA00AA00";
  double lon = Longitude + 180.0;
  double lat = Latitude + 90.0;
  for (int pair = 0; pair < 4; ++pair) {
    const TPairStep& step = PairSteps[pair];
    // Truncates toward zero; the pole and the date line (and a remainder the decimal steps
    // leave a hair too large) stay in the last square of the pair, so every position gives a
    // locator that reads back.
    const int kLon = std::clamp(static_cast<int>(lon / step.Longitude), 0, PairLast[pair]);
    locator[2 * pair] = static_cast<char>(locator[2 * pair] + kLon);
    const int kLat = std::clamp(static_cast<int>(lat / step.Latitude), 0, PairLast[pair]);
    locator[2 * pair + 1] = static_cast<char>(locator[2 * pair + 1] + kLat);
    if (pair < 3) {
      lon -= kLon * step.Longitude;
      lat -= kLat * step.Latitude;
    }
  }
  return locator;
}

bool LocatorToLatLon(const String& Locator, double& Latitude, double& Longitude) {
  String s = UpperCase(Locator);
  if (s.size() == 4) s += "IL";
  if (s.size() != 6 && s.size() != 8) return false;
  if (!InRange(s[0], 'A', 'R') || !InRange(s[1], 'A', 'R') || !InRange(s[2], '0', '9') ||
      !InRange(s[3], '0', '9') || !InRange(s[4], 'A', 'X') || !InRange(s[5], 'A', 'X'))
    return false;
  if (s.size() == 8 && (!InRange(s[6], '0', '9') || !InRange(s[7], '0', '9'))) return false;

  double lon =
      (s[0] - 'A') * 20.0 - 180.0 + (s[2] - '0') * 2.0 + (s[4] - 'A') * PairSteps[2].Longitude;
  double lat =
      (s[1] - 'A') * 10.0 - 90.0 + (s[3] - '0') * 1.0 + (s[5] - 'A') * PairSteps[2].Latitude;
  const TPairStep& fine = PairSteps[3];
  if (s.size() == 8) {
    lon += (s[6] - '0') * fine.Longitude + fine.Longitude / 2;
    lat += (s[7] - '0') * fine.Latitude + fine.Latitude / 2;
  } else {
    // The centre of a subsquare is the middle of its ten extended squares.
    lon += 5 * fine.Longitude;
    lat += 5 * fine.Latitude;
  }
  Latitude = lat;
  Longitude = lon;
  return true;
}
