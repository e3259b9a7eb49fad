#pragma once
// Named numeric constants of the library, as 10-byte extended values (long double).
// The limits are the start values of minimum/maximum searches and the clamp of the number
// scanners; the logarithms guard exponentials. The stored values are the ones to use, even where
// they differ from the exact mathematical value (uc_lnMinDouble is not ln(5e-324)).

#include <limits>

#include "System.h"

inline constexpr Extended uc_e = 2.71828182845904523536028747135L;
inline constexpr Extended uc_etom1 = 0.367879441171442321595523770161L;
inline constexpr Extended uc_lg2 = 0.301029995663981195213738894724L;
inline constexpr Extended uc_lg5 = 0.698970004336018804786261105276L;
inline constexpr Extended uc_lge = 0.434294481903251827651128918917L;
inline constexpr Extended uc_lgPi = 0.497149872694133854351268288291L;
inline constexpr Extended uc_ln2 = 0.693147180559945309417232121458L;
inline constexpr Extended uc_ln10 = 2.30258509299404568401799145468L;
inline constexpr Extended uc_lnPi = 1.14472988584940017414342735135L;
inline constexpr Extended uc_PiH = 1.57079632679489661923132169164L;
inline constexpr Extended uc_PiSqr = 9.86960440108935861883449099988L;
inline constexpr Extended uc_Pitom1 = 0.318309886183790671537767526745L;
inline constexpr Extended uc_sqrt2 = 1.41421356237309504880168872421L;
inline constexpr Extended uc_sqrt2pi = 2.50662827463100050241576528481L;
inline constexpr Extended uc_sqrt2pitom1 = 0.398942280401432677939946059934L;
inline constexpr Extended uc_GoldenR = 1.61803398874989484820458683437L;

inline constexpr Extended uc_MinReal = 2.9e-39L;
inline constexpr Extended uc_MaxReal = 1.7e38L;
inline constexpr Extended uc_MinSingle = 1.5e-45L;
inline constexpr Extended uc_MaxSingle = 3.4e38L;
inline constexpr Extended uc_MinDouble = 5.0e-324L;
inline constexpr Extended uc_MaxDouble = 1.7e308L;
// The smallest positive extended value is a denormal (about 3.645e-4951).
inline constexpr Extended uc_MinExtended = std::numeric_limits<long double>::denorm_min();
inline constexpr Extended uc_MaxExtended = 1.1e4932L;

inline constexpr Extended uc_lnMinDouble = -744.4281322176367L;
inline constexpr Extended uc_lnMaxDouble = 709.7268368932282L;
inline constexpr Extended uc_lnMinExtended = -11398.81786156806L;
inline constexpr Extended uc_lnMaxExtended = 11356.44498882644L;
inline constexpr Extended uc_lnMinReal = -88.73610788977535L;
inline constexpr Extended uc_lnMaxReal = 88.02886178483591L;
inline constexpr Extended uc_lnMinSingle = -103.2108640766239L;
inline constexpr Extended uc_lnMaxSingle = 88.72200896539586L;

static_assert(std::numeric_limits<long double>::digits == 64,
              "the uc_ constants need the 80-bit x87 extended format");

// ln n! for n = 0 ... 1000, each to 15 significant digits.
extern const Double uc_LnFactorial[1001];
