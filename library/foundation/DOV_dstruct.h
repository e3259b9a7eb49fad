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
// The digest of the text's stream form (LowBytesOfString: one byte per character, its low
// byte), equal to the digest of a stream the text was written to with WriteStringStream:
// "Grüße" is digested as the five bytes 47 72 FC DF 65. Text in a file is bytes: hash files
// with SHA1FromFile.
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

// ---- run-length coder, FIFO, string accumulator ---------------------------------------------
#include <algorithm>
#include <unordered_map>

class TTextFile;

enum TDecodeSt { rlData, rlLeadin, rlCnt };

// Codes byte streams with the escape byte 0xA5: a plain byte stands for itself, the triple
// escape, count, value for count copies of value. Output collects in a buffer that grows as
// needed and is drained in blocks of BufLeng bytes (GetResult while Encode/Decode return
// true, Finish at the end); pending bytes survive a change of BufLeng.
class TRLEncoder : public TComponent {
public:
  static constexpr Byte LeadInByte = 0xA5;
  explicit TRLEncoder(TComponent* AOwner);
  String ClassName() const override { return "TRLEncoder"; }
  Integer BufLeng() const { return FBufLeng; }
  void SetBufLeng(Integer Value);  // values below 1 are ignored
  void Reset();
  // True when at least BufLeng coded (decoded) bytes wait.
  bool Encode(const Byte* InBuf, Integer NumBytes);
  bool Encode(const TBytes& InBuf) {
    return Encode(InBuf.data(), static_cast<Integer>(InBuf.size()));
  }
  bool Decode(Byte InByte);
  // Copies BufLeng waiting bytes to OutBuf (which must hold them); nothing when fewer wait.
  void GetResult(Byte* OutBuf);
  // Ends a coded stream with the pending run as a triple (also a count of 0; only once, and
  // never for a decoded stream) and hands out at most BufLeng waiting bytes; returns their
  // number. Call again while it returns BufLeng to drain the rest.
  Integer Finish(Byte* OutBuf);
  Integer Pending() const { return static_cast<Integer>(FBuffer.size()); }

private:
  void Put(Byte b) { FBuffer.push_back(b); }
  void FlushRun();
  Integer FBufLeng = 256;
  std::vector<Byte> FBuffer;  // the waiting bytes
  TDecodeSt FDecodeSt = rlData;
  Integer FCount = 0;
  Byte FLastB = 0;
  bool FDecoding = false;  // the last call was Decode
  bool FFinished = false;  // Finish has written the closing triple
};

// A byte queue in a ring of Size slots; it holds at most Size - 1 bytes.
class TFifo : public TComponent {
public:
  explicit TFifo(TComponent* AOwner);
  String ClassName() const override { return "TFifo"; }
  Integer Size() const { return FLength; }
  // Positive values only. The oldest bytes that fit stay queued, in order; raises
  // ESDLDStructError ("FIFO structure too large") when the ring cannot be allocated.
  void SetSize(Integer Value);
  bool PutByte(Byte InByte);    // false (nothing stored) when full
  bool ForceByte(Byte InByte);  // drops the oldest byte when full; true only then
  // Puts the byte back at the read end; false (nothing stored) when the queue is full.
  bool LoadBack(Byte InByte);
  bool GetByte(Byte& OutByte);
  bool SenseByte(Integer ix, Byte& OutByte) const;  // false outside 0 ... CountBytes - 1
  Integer CountBytes() const;
  void Clear() { FInPoi = FOutPoi = 0; }

private:
  Integer Next(Integer p) const { return p + 1 >= FLength ? 0 : p + 1; }
  Integer FInPoi = 0;
  Integer FOutPoi = 0;
  Integer FLength = 256;
  std::vector<Byte> FData;
};

// Counts how often each distinct string was added (case-sensitive), in order of first adding.
class TStringAccu : public TComponent {
public:
  explicit TStringAccu(TComponent* AOwner) : TComponent(AOwner) {}
  String ClassName() const override { return "TStringAccu"; }
  Integer Size() const { return static_cast<Integer>(FStrArray.size()); }
  void Add(const String& AString);
  String GetString(Integer ix) const;  // 1-based; "" outside
  Integer GetCount(Integer ix) const;  // 0 outside
  void Clear();

private:
  TStrArray FStrArray;
  TIntArray FCntArray;
  std::unordered_map<String, Integer> FIndex;  // string -> 0-based slot
};

// ---- string array -----------------------------------------------------------------------------
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, const String& InString, String& OutString)>;

// A table of short texts (at most 255 characters each, longer ones are cut; a UTF-8 sequence
// counts as one character) by column 0 ... NrOfColumns and row 1 ... NrOfRows, kept in a pool of 32
// KiB blocks. Rows are addressed in their present (logical) order through SortOrder, so a sort only
// reorders that index until CommitSorting. Out-of-range indexes read as empty (0) and are ignored
// by writes.
class TStringArray : public TComponent {
public:
  static constexpr Integer PoolBlockSize = 32768;
  static constexpr Integer MaxCellLength = 255;

  explicit TStringArray(TComponent* AOwner);
  String ClassName() const override { return "TStringArray"; }
  void Assign(TPersistent* Source) override;

  Integer NrOfColumns() const { return FNCol; }
  Integer NrOfRows() const { return FNRow; }
  void SetNrOfColumns(Integer Value) { Resize(Value, FNRow); }
  void SetNrOfRows(Integer Value) { Resize(FNCol, Value); }
  Integer AllocRowsBy() const { return FAllocRowsBy; }
  void SetAllocRowsBy(Integer Value) { FAllocRowsBy = std::max<Integer>(Value, 1); }
  Integer NumBuffers() const { return static_cast<Integer>(FStgPool.size()); }
  // The first free byte (1-based) of pool block ix (1-based); 0 outside.
  Integer FirstFree(Integer ix) const;

  String GetString(Integer c, Integer r) const;
  void SetString(Integer c, Integer r, const String& s);
  String Elem(Integer c, Integer r) const { return GetString(c, r); }
  Double AsNumber(Integer c, Integer r) const;
  Integer AsInteger(Integer c, Integer r) const;
  Byte RowAttrib(Integer r) const;
  void SetRowAttrib(Integer r, Byte Value);
  Byte ColAttrib(Integer c) const;
  void SetColAttrib(Integer c, Byte Value);
  Integer SortOrder(Integer ix) const;
  void SetSortOrder(Integer ix, Integer Value);

  // False when a count is below 1 or the cells would not fit in memory.
  bool Resize(Integer Nc, Integer Nr);
  Integer AddRow();
  void Clear();
  void Fill(const String& s);
  void InsertRow(Integer r);
  void RemoveRow(Integer r);
  void CopyRow(Integer Source, Integer Target);
  bool ColumnEmpty(Integer ACol) const;
  bool RowEmpty(Integer ARow) const;

  void Sort(Integer Col, Integer ColSec, bool Ascending);
  void UnSort();
  void CommitSorting();
  void GarbageCollection();

  bool FindCell(const String& FindStr, bool MatchCase, Integer ColLow, Integer ColHigh,
                Integer RowLow, Integer RowHigh, Integer& Col, Integer& row) const;
  bool FindCellExact(const String& FindStr, bool MatchCase, Integer ColLow, Integer ColHigh,
                     Integer RowLow, Integer RowHigh, Integer& Col, Integer& row) const;
  bool FindCellInSortedColumn(const String& FindStr, bool MatchCase, Integer ColIx, Integer RowLow,
                              Integer RowHigh, bool ColIsAscending, Integer& row) const;

  // The strarray XML document (see the envelope in DOV_xmlenvelope.h). Cell texts are written
  // as they are; the reader takes a cell's text up to its own closing tag, so a ">" or a line
  // break inside survives. The reader stops with false at the end of the file before
  // "</strarray>", and when the declared size does not fit in memory.
  void WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader, const String& DataID) const;
  void SaveAsXMLFile(const String& FName, const String& DataID) const;
  bool ReadFromOpenXMLFile(TTextFile& InFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);

  TNotifyEvent OnChange;
  TBeforeSortExchgEvent OnBeforeSortExchange;
  TOnPercentDoneEvent OnPercentDone;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  Integer Phys(Integer r) const { return FSortIx[r - 1]; }
  String TextAt(Cardinal addr) const;
  Cardinal Store(const String& s);
  Cardinal& Cell(Integer c, Integer physRow) { return FPoiArray[c][physRow - 1]; }
  Cardinal CellAt(Integer c, Integer physRow) const { return FPoiArray[c][physRow - 1]; }
  String SortKey(Integer c, Integer r) const;
  bool Find(const String& FindStr, bool MatchCase, bool Exact, Integer ColLow, Integer ColHigh,
            Integer RowLow, Integer RowHigh, Integer& Col, Integer& row) const;
  void Identity();

  Integer FNCol = 1;
  Integer FNRow = 1;
  Integer FAllocRowsBy = 10;
  Integer FRAllocated = 0;
  std::vector<Integer> FFirstFree;
  std::vector<std::vector<Cardinal>> FPoiArray;  // [column][physical row - 1]
  std::vector<Integer> FSortIx;                  // [logical row - 1] -> physical row
  std::vector<std::vector<Byte>> FStgPool;
  std::vector<Byte> FRowAttrib;  // by physical row
  std::vector<Byte> FColAttrib;  // by column 0 ... NrOfColumns (0 unused)
};
