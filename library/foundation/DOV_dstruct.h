#pragma once
// Data-structure routines of the library: cyclic redundancy checks, an ASCII85 coder between
// two streams, SHA-1 digests, combinatorial stepping and nearest-value search. The routines
// keep no state (they share only constant tables), so they may run on several threads at once.

#include <array>
#include <vector>

#include "Classes.h"
#include "DOV_sdlbase.h"

enum TCRC16Mode { crcZModem, crcCCITT };

// Element 0 holds the number of places k; elements 1 ... k the values, each from 1 to n.
using TCombination = std::array<Byte, 256>;
// The SHA-1 digest, bytes in the order of the standard.
using TSHACode = std::array<Byte, 20>;

// ---- CRC-16 (polynomial 0x1021, not reflected) ----
// One step: table[(CRC shr 8) xor Data] xor (CRC shl 8), kept to 16 bits.
Word CalcNextCRC16(Byte Data, Word CRC);
// crcZModem starts at 0 (CRC-16/XMODEM), crcCCITT at 0xFFFF (CRC-16/CCITT-FALSE); no final
// inversion. Length is clamped to the buffer.
Word CRC16ofBuffer(const TBytes& Buffer, Integer Length, TCRC16Mode Mode);

// ---- CRC-32 (reflected polynomial 0xEDB88320) ----
// One step without start or final inversion: the vector and matrix digests feed it byte by
// byte with start and final values of their own.
Cardinal CalcNextCRC32(Byte Data, Cardinal CRC);
// The standard CRC-32 of the first Length bytes (clamped to the buffer).
Cardinal CRC32ofBuffer(const TBytes& Buffer, Integer Length);
// The standard CRC-32 of the whole file; 0 when it cannot be read (the same as an empty file).
Cardinal CalcCRC32ofFile(const String& FName);

// ---- ASCII85 ----
// Codes the input from its position to its end, then writes "~>". A final short group of c
// bytes is coded as the c-byte number itself in c + 1 characters (not padded as in the
// standard), so only this decoder reads it back exactly.
void EncodeASCII85(TStream& InStream, TStream& OutStream);
// Decodes until the input ends or "~" is met; CR and LF are skipped. Returns 0, or -1 when a
// character lay outside "!" ... "u" or a group exceeded 32 bits, or -2 when a "z" stood inside
// a group; what can be decoded is written either way.
Integer DecodeASCII85(TStream& InStream, TStream& OutStream);

// ---- SHA-1 ----
// The digest of the text's bytes (one byte per character), equal to the digest of a stream
// holding the text.
TSHACode SHA1FromString(const String& S);
// The digest of the stream from its position to its end.
TSHACode SHA1FromStream(TStream& Stream);
// Raises the toolkit's file-open exception when the file cannot be opened.
TSHACode SHA1FromFile(const String& FName);
// Forty upper-case hexadecimal digits.
String SHA1DigestToHex(const TSHACode& Digest);

// ---- combinatorics ----
// The next k-element subset of 1 ... n in lexicographic order; false (and no change) after the
// last one. Needs 1 <= k <= n <= 255.
bool NextCombination(TCombination& Comb, Integer n);
// The next order of 1 ... n (n = element 0): from 1 2 3 the calls give 213, 231, 132, 312, 321,
// then false with the array unchanged. Not the lexicographic order.
bool NextPermutation(TCombination& Perm);

// 0-based index of the element nearest to x, the earlier one on ties; -1 for an empty array.
Integer IndexOfNearestArrayValue(Double x, const TDoubleArray& Data);
Integer IndexOfNearestArrayValue(Integer x, const TIntArray& Data);

// ---- byte matrix and bit field ----
// How CombineWith joins a (the receiving component's data) with b (the other's).
enum TLogicOp { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };

// A matrix of bytes, columns ix = 1 ... NrOfColumns and rows iy = 1 ... NrOfRows (at least
// 1 x 1), whose bytes also serve as eight flags each (bit 0 the least significant). Reads
// outside give 0 (false), writes outside are ignored. OnChange fires after each change made
// through the component's own operations, CombineWith excepted.
class TByteMatrix : public TComponent {
public:
  explicit TByteMatrix(TComponent* AOwner);
  String ClassName() const override { return "TByteMatrix"; }
  void Assign(TPersistent* Source) override;  // size, bytes and the OnChange handler

  Integer NrOfColumns() const { return FNrCols; }
  Integer NrOfRows() const { return FNrRows; }
  void SetNrOfColumns(Integer Value);  // below 1 becomes 1
  void SetNrOfRows(Integer Value);
  // False when unchanged or a count is below 1; keeps the bytes inside both sizes.
  bool Resize(Integer NrColumns, Integer NrRows);
  void Fill(Byte value);
  Byte GetByte(Integer ix, Integer iy) const;
  void SetByte(Integer ix, Integer iy, Byte value);
  bool GetBit(Integer ix, Integer iy, Integer ixBit) const;
  void SetBit(Integer ix, Integer iy, Integer ixBit, bool value);
  void ToggleBit(Integer col, Integer row, Integer ixBit);
  void MirrorColumns();
  void MirrorRows();
  // Nothing happens when the sizes differ.
  void CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation);
  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed();

private:
  bool Inside(Integer ix, Integer iy) const {
    return ix >= 1 && ix <= FNrCols && iy >= 1 && iy <= FNrRows;
  }
  size_t At(Integer ix, Integer iy) const {
    return static_cast<size_t>(ix - 1) * static_cast<size_t>(FNrRows) + static_cast<size_t>(iy - 1);
  }
  Integer FNrCols = 1;
  Integer FNrRows = 1;
  std::vector<Byte> FByteMat;  // column after column
};

// A field of Size + 1 bits, indexed 0 ... Size (Size is 1000 after creation). Indexes outside
// are ignored (read: false).
class TBitFld : public TComponent {
public:
  explicit TBitFld(TComponent* AOwner);
  String ClassName() const override { return "TBitFld"; }
  void Assign(TPersistent* Source) override;

  Integer Size() const { return FSize; }
  // Positive values only; bits 0 ... Size are kept as far as they fit.
  void SetSize(Integer Value);
  bool GetBit(Integer ix) const;
  void SetBit(Integer ix, bool value);
  void ToggleBit(Integer ix);
  void Clear();
  void Invert();
  Integer CountTrueBits() const;
  Integer FirstTrueBit() const;  // -1 when none is set
  void MakeListOfBits(TIntArray& BitList, bool State) const;
  // Nothing happens when the sizes differ.
  void CombineWith(const TBitFld* SecondBArray, TLogicOp Operation);
  void Clone(const TBitFld* Source);
  // Exactly n bits set at random places (the run-time generator): n is Percent (0 ... 100) of
  // Size, rounded, or NBits clamped to 0 ... Size.
  void RandomFill(Double Percent);
  void RandomFill(Integer NBits);

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  void FillRandomBits(Integer n);
  Integer RandomIndex() const;
  void ClearBitsAboveSize();
  Integer FSize = 0;
  std::vector<Byte> FBitArray;  // Size div 8 + 2 bytes
};
