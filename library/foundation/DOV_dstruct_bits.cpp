// The byte matrix and the bit field of DOV_dstruct.

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

#include "DOV_dstruct.h"
#include "RtlRandom.h"

namespace {

constexpr Integer kDefaultBitFieldSize = 1000;

Byte Combine(Byte a, Byte b, TLogicOp op) {
  switch (op) {
    case loAND: return static_cast<Byte>(a & b);
    case loOR: return static_cast<Byte>(a | b);
    case loXOR: return static_cast<Byte>(a ^ b);
    case loANDNot: return static_cast<Byte>(a & ~b);
    case loORNot: return static_cast<Byte>(a | ~b);
    case loXORNot: return static_cast<Byte>(a ^ ~b);
  }
  return a;
}

template <class F>
auto Allocating(const TComponent* c, F f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    throw ESDLDStructError(ComponentErrorMessage(c, "not enough memory on heap"));
  }
}

}  // namespace

// ---- byte matrix ------------------------------------------------------------------------------

TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner), FByteMat(1, 0) {}

void TByteMatrix::Changed() {
  if (OnChange) OnChange(this);
}

void TByteMatrix::SetNrOfColumns(Integer Value) { Resize(std::max(Value, 1), FNrRows); }
void TByteMatrix::SetNrOfRows(Integer Value) { Resize(FNrCols, std::max(Value, 1)); }

bool TByteMatrix::Resize(Integer NrColumns, Integer NrRows) {
  if (NrColumns < 1 || NrRows < 1) return false;
  if (NrColumns == FNrCols && NrRows == FNrRows) return false;
  std::vector<Byte> m = Allocating(this, [&] {
    return std::vector<Byte>(static_cast<size_t>(NrColumns) * static_cast<size_t>(NrRows), 0);
  });
  const Integer cols = std::min(NrColumns, FNrCols), rows = std::min(NrRows, FNrRows);
  for (Integer c = 1; c <= cols; ++c)
    std::copy_n(FByteMat.begin() + static_cast<std::ptrdiff_t>(At(c, 1)), rows,
                m.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(c - 1) * NrRows));
  FByteMat = std::move(m);
  FNrCols = NrColumns;
  FNrRows = NrRows;
  Changed();
  return true;
}

void TByteMatrix::Fill(Byte value) {
  std::fill(FByteMat.begin(), FByteMat.end(), value);
  Changed();
}

Byte TByteMatrix::GetByte(Integer ix, Integer iy) const {
  return Inside(ix, iy) ? FByteMat[At(ix, iy)] : Byte{0};
}

void TByteMatrix::SetByte(Integer ix, Integer iy, Byte value) {
  if (!Inside(ix, iy)) return;
  FByteMat[At(ix, iy)] = value;
  Changed();
}

bool TByteMatrix::GetBit(Integer ix, Integer iy, Integer ixBit) const {
  if (!Inside(ix, iy) || ixBit < 0 || ixBit > 7) return false;
  return (FByteMat[At(ix, iy)] >> ixBit) & 1;
}

void TByteMatrix::SetBit(Integer ix, Integer iy, Integer ixBit, bool value) {
  if (!Inside(ix, iy) || ixBit < 0 || ixBit > 7) return;
  Byte& b = FByteMat[At(ix, iy)];
  b = value ? static_cast<Byte>(b | (1u << ixBit)) : static_cast<Byte>(b & ~(1u << ixBit));
  Changed();
}

void TByteMatrix::ToggleBit(Integer col, Integer row, Integer ixBit) {
  if (!Inside(col, row) || ixBit < 0 || ixBit > 7) return;
  FByteMat[At(col, row)] ^= static_cast<Byte>(1u << ixBit);
  Changed();
}

void TByteMatrix::MirrorColumns() {
  for (Integer c = 1; c <= FNrCols / 2; ++c)
    std::swap_ranges(FByteMat.begin() + static_cast<std::ptrdiff_t>(At(c, 1)),
                     FByteMat.begin() + static_cast<std::ptrdiff_t>(At(c, 1)) + FNrRows,
                     FByteMat.begin() + static_cast<std::ptrdiff_t>(At(FNrCols + 1 - c, 1)));
  Changed();
}

void TByteMatrix::MirrorRows() {
  for (Integer c = 1; c <= FNrCols; ++c) {
    auto first = FByteMat.begin() + static_cast<std::ptrdiff_t>(At(c, 1));
    std::reverse(first, first + FNrRows);
  }
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation) {
  if (SecondByteMatrix == nullptr || SecondByteMatrix->FNrCols != FNrCols ||
      SecondByteMatrix->FNrRows != FNrRows)
    return;
  for (size_t i = 0; i < FByteMat.size(); ++i)
    FByteMat[i] = Combine(FByteMat[i], SecondByteMatrix->FByteMat[i], Operation);
}

void TByteMatrix::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TByteMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  FByteMat = Allocating(this, [&] { return src->FByteMat; });
  FNrCols = src->FNrCols;
  FNrRows = src->FNrRows;
  OnChange = src->OnChange;
}

void TByteMatrix::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TByteMatrix*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

// ---- bit field ----------------------------------------------------------------------------------

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) { SetSize(kDefaultBitFieldSize); }

void TBitFld::SetSize(Integer Value) {
  if (Value <= 0 || Value == FSize) return;
  Allocating(this, [&] {
    FBitArray.resize(static_cast<size_t>(Value / 8 + 2), 0);
    return 0;
  });
  FSize = Value;
  // Bits that fall outside a smaller field must not come back when it grows again.
  ClearBitsAboveSize();
}

void TBitFld::ClearBitsAboveSize() {
  const size_t last = static_cast<size_t>(FSize / 8);
  FBitArray[last] &= static_cast<Byte>((1u << (FSize % 8 + 1)) - 1);
  std::fill(FBitArray.begin() + static_cast<std::ptrdiff_t>(last + 1), FBitArray.end(), 0);
}

bool TBitFld::GetBit(Integer ix) const {
  if (ix < 0 || ix > FSize) return false;
  return (FBitArray[static_cast<size_t>(ix / 8)] >> (ix % 8)) & 1;
}

void TBitFld::SetBit(Integer ix, bool value) {
  if (ix < 0 || ix > FSize) return;
  Byte& b = FBitArray[static_cast<size_t>(ix / 8)];
  const auto mask = static_cast<Byte>(1u << (ix % 8));
  b = value ? static_cast<Byte>(b | mask) : static_cast<Byte>(b & ~mask);
}

void TBitFld::ToggleBit(Integer ix) {
  if (ix < 0 || ix > FSize) return;
  FBitArray[static_cast<size_t>(ix / 8)] ^= static_cast<Byte>(1u << (ix % 8));
}

void TBitFld::Clear() { std::fill(FBitArray.begin(), FBitArray.end(), 0); }

void TBitFld::Invert() {
  for (Byte& b : FBitArray) b = static_cast<Byte>(~b);
  ClearBitsAboveSize();
}

Integer TBitFld::CountTrueBits() const {
  Integer n = 0;
  for (size_t i = 0; i <= static_cast<size_t>(FSize / 8); ++i) n += std::popcount(FBitArray[i]);
  return n;  // bits above Size are always clear
}

Integer TBitFld::FirstTrueBit() const {
  for (size_t i = 0; i <= static_cast<size_t>(FSize / 8); ++i)
    if (FBitArray[i] != 0) return static_cast<Integer>(i * 8) + std::countr_zero(FBitArray[i]);
  return -1;
}

void TBitFld::MakeListOfBits(TIntArray& BitList, bool State) const {
  BitList.clear();
  for (Integer i = 0; i <= FSize; ++i)
    if (GetBit(i) == State) BitList.push_back(i);
}

void TBitFld::CombineWith(const TBitFld* SecondBArray, TLogicOp Operation) {
  if (SecondBArray == nullptr || SecondBArray->FSize != FSize) return;
  for (size_t i = 0; i < FBitArray.size(); ++i)
    FBitArray[i] = Combine(FBitArray[i], SecondBArray->FBitArray[i], Operation);
  ClearBitsAboveSize();
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr) return;
  FBitArray = Allocating(this, [&] { return Source->FBitArray; });
  FSize = Source->FSize;
}

void TBitFld::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TBitFld*>(Source);
  if (src == nullptr)
    TComponent::Assign(Source);
  else
    Clone(src);
}

void TBitFld::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TBitFld*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

Integer TBitFld::RandomIndex() const {
  return static_cast<Integer>(std::nearbyint(RandomReal() * FSize));
}

void TBitFld::FillRandomBits(Integer n) {
  if (n > FSize / 2) {
    // Few bits stay clear: set all, then clear the drawn ones.
    std::fill(FBitArray.begin(), FBitArray.end(), 0xFF);
    ClearBitsAboveSize();
    for (Integer cleared = 0; cleared < FSize + 1 - n;) {
      const Integer ix = RandomIndex();
      if (GetBit(ix)) {
        SetBit(ix, false);
        ++cleared;
      }
    }
  } else {
    Clear();
    for (Integer set = 0; set < n;) {
      const Integer ix = RandomIndex();
      if (!GetBit(ix)) {
        SetBit(ix, true);
        ++set;
      }
    }
  }
}

void TBitFld::RandomFill(Double Percent) {
  const Double p = std::isnan(Percent) ? 0.0 : std::clamp(Percent, 0.0, 100.0);
  FillRandomBits(static_cast<Integer>(std::nearbyint(p * 0.01 * FSize)));
}

void TBitFld::RandomFill(Integer NBits) { FillRandomBits(std::clamp(NBits, 0, FSize)); }
