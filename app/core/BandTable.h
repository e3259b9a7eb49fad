#pragma once
// The columns of a band table: the two band matrices (1-based column, row) and the working
// tables (row r, 0-based, at values 11 r ... 11 r + 10) hold the same eleven values per pulsar.

#include <array>
#include <cstddef>

enum TBandColumn {
  bcRaj = 1,     // right ascension, degrees
  bcDecj,        // declination, degrees
  bcDm,          // dispersion measure, cm^-3 pc
  bcW50,         // pulse width at 50 %, ms
  bcS400,        // flux at 400 MHz, mJy
  bcS1400,       // flux at 1400 MHz, mJy
  bcP0,          // period, s
  bcNameIndex,   // 1-based index into the band's names
  bcExpectedSN,  // expected S/N of the last CALCULATE (-1 before it)
  bcDistance,    // kpc
  bcAge,         // years
};
inline constexpr int BandColumnCount = 11;

// A working table: at most 5000 rows of BandColumnCount values, row after row.
using TWorkingTable = std::array<double, 60000>;

// One row of a working table, read by column name.
class TBandRow {
public:
  TBandRow(const TWorkingTable& Table, int Row)
      : FValues(&Table[static_cast<std::size_t>(BandColumnCount * Row)]) {}
  double operator[](TBandColumn Column) const { return FValues[Column - 1]; }
  int NameIndex() const { return static_cast<int>(FValues[bcNameIndex - 1]); }

private:
  const double* FValues;
};
