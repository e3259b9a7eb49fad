#pragma once
// The columns of a band table: the two band matrices (1-based column, row) and the working
// tables (row r, 0-based, at values 11 r ... 11 r + 10) hold the same eleven values per pulsar.

#include <cstddef>

#include "ZeroedArray.h"

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

// A working table: at most 5000 rows of BandColumnCount values, row after row, zero until
// written. The values live in zeroed pages from calloc, so a table that is never filled costs
// no memory touched (the main window holds three from its start).
class TWorkingTable {
public:
  static constexpr std::size_t Size = 60000;

  static constexpr std::size_t size() { return Size; }
  double& operator[](std::size_t I) { return FValues[I]; }
  const double& operator[](std::size_t I) const { return FValues[I]; }
  void fill(double Value) {
    for (double& v : FValues) v = Value;
  }

private:
  TZeroedArray<double> FValues{Size};
};

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
