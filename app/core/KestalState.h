#pragma once
// The main window's state that the other windows read: the observer, the receiving system and
// the figures of the last CALCULATE, the band tables and their names, the modes. A plain class
// without controls, so that logic apart from windows can take it. The main window inherits it
// and writes it (the sort dialog also sets SortState); the other windows read it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "BandTable.h"
#include "LocationRecord.h"
#include "ReceiverFigures.h"
#include "System.h"

// Names by index in blocks of 5000. A block holds only the entries up to the last one written
// or read through the writable access (the others read as empty), so the store costs nothing
// until the catalogue fills the few hundred names of a band.
class TNameStore {
public:
  static constexpr std::size_t BlockSize = 5000;
  static constexpr std::size_t BlockCount = 7;
  static constexpr std::size_t size() { return BlockSize * BlockCount; }

  String& operator[](std::size_t I) {
    std::vector<String>& block = Block(I);
    if (block.size() <= I % BlockSize) block.resize(I % BlockSize + 1);
    return block[I % BlockSize];
  }
  const String& operator[](std::size_t I) const {
    static const String empty;
    const std::vector<String>& block = FBlocks[BlockIndex(I)];
    return I % BlockSize < block.size() ? block[I % BlockSize] : empty;
  }
  // Copies Count names from index From on to index To on.
  void Copy(std::size_t From, std::size_t To, std::size_t Count) {
    for (std::size_t j = 0; j < Count; ++j) (*this)[To + j] = std::as_const(*this)[From + j];
  }

private:
  static std::size_t BlockIndex(std::size_t I) {
    if (I >= size()) throw std::out_of_range("name index out of range");
    return I / BlockSize;
  }
  std::vector<String>& Block(std::size_t I) { return FBlocks[BlockIndex(I)]; }
  std::array<std::vector<String>, BlockCount> FBlocks;
};

class TKestalState {
public:
  float MoonAge = 0;
  float MoonDistance = 0;
  // The observer, as the configuration file and a saved location record hold it.
  TLocationRecord Location;
  // The receiving system: the inputs of the last CALCULATE or SAVE, and what the last
  // CALCULATE made of them.
  TReceiverInputs Receiver;
  TReceiverFigures Figures;
  double SelectedRA = 0, SelectedDec = 0;
  // Working table of the current band and the copies of the two band tables: row r (0-based)
  // at values 11 r ... 11 r + 10, columns in band-table order (TBandColumn; TBandRow reads one).
  TWorkingTable PulsarTable{};
  TWorkingTable PulsarTable400{};
  TWorkingTable PulsarTable1400{};
  std::int32_t Count400 = 0, Count1400 = 0;
  std::int32_t SelectedNameIndex = 0;
  std::int32_t TrackedObject = 1;
  std::int32_t SortState = 1;  // 1: sort by expected S/N at the next CALCULATE; 2: keep
  bool InternetAvailable = false;
  // Seven blocks of 5000 names. Block 0: the working band, entry (name index - 1).
  // Block 1: the 400 MHz names, block 4: the 1400 MHz names, arranged the same way.
  TNameStore PulsarNames;

  bool PulsarModeOn = true;
  bool EvaluationModeOn = false;
  bool NotCalculatedYet = true;
  bool HorizonFilterOn = true;
  double MinimumSN = 10;
  std::array<std::int32_t, 15000> ListRowMap{};
  String StoredModeCode;
  String CatalogueVersion;
};
