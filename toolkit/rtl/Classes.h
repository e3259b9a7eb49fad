#pragma once
// Streams and string lists.

#include <functional>
#include <memory>
#include <vector>

#include "System.h"

// ---- streams -----------------------------------------------------------------------------
enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };
constexpr TSeekOrigin soBeginning = soFromBeginning;
constexpr TSeekOrigin soCurrent = soFromCurrent;
constexpr TSeekOrigin soEnd = soFromEnd;

class TStream : public TObject {
public:
  String ClassName() const override { return "TStream"; }
  // Reads up to Count bytes at the position; returns the number read (short at the end, never
  // an exception for that).
  virtual Int64 Read(void* Buffer, Int64 Count) = 0;
  // Writes Count bytes at the position; returns the number written.
  virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
  // Moves the position; returns the new position. Positions before 0 are an error (EReadError
  // "Stream seek error"); beyond the end is allowed (a write there fills the gap with zeros).
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;
  virtual Int64 Size();
  // Truncates or extends (zero-filled); the position is clamped to the new size.
  virtual void SetSize(Int64 NewSize) = 0;

  Int64 Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soFromBeginning); }

  // Exactly Count bytes or EReadError ("Stream read error") / EWriteError ("Stream write error").
  void ReadBuffer(void* Buffer, Int64 Count);
  void WriteBuffer(const void* Buffer, Int64 Count);
  // Copies Count bytes from Source's position (Count 0: all of Source from its start).
  // Returns the bytes copied; EReadError when Source has fewer.
  Int64 CopyFrom(TStream& Source, Int64 Count);
  // The bytes from the position to the end, and a write of a whole text.
  String ReadString(Int64 Count);
  void WriteString(const String& S) { WriteBuffer(S.data(), static_cast<Int64>(S.size())); }
};

// File open modes: one of fmCreate / fmOpenRead / fmOpenWrite / fmOpenReadWrite, or-ed with a
// share flag (the share flags are accepted and ignored: Linux has no mandatory sharing).
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;
constexpr Word fmCreate = 0xFF00;  // create or truncate, then read and write

// A file stream with its own buffer, so that byte-by-byte reading and writing stay fast.
// Opening fails with EFOpenError ("Cannot open file \"name\". <reason>"), creating with
// EFCreateError ("Cannot create file \"name\". <reason>").
class TFileStream : public TStream {
public:
  TFileStream(const String& FileName, Word Mode);
  ~TFileStream() override;  // writes what is buffered; errors there are lost, call Flush first
  String ClassName() const override { return "TFileStream"; }
  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override;
  void SetSize(Int64 NewSize) override;
  // Writes the buffered bytes; EWriteError on failure.
  void Flush();
  const String& FileName() const { return FFileName; }

private:
  void FlushWrite();
  void DropRead();
  String FFileName;
  int FHandle = -1;
  Int64 FFilePos = 0;  // position of the descriptor
  std::vector<char> FBuf;
  Int64 FBufStart = 0;  // file position of FBuf[0]
  size_t FBufLen = 0;   // valid bytes (read mode) or bytes to write (write mode)
  size_t FBufPos = 0;   // read position within FBuf
  bool FWriting = false;
  bool FCanRead = false;
  bool FCanWrite = false;
};

// A stream in memory.
class TMemoryStream : public TStream {
public:
  String ClassName() const override { return "TMemoryStream"; }
  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return static_cast<Int64>(FData.size()); }
  void SetSize(Int64 NewSize) override;
  void Clear();  // size and position 0
  char* Memory() { return FData.data(); }
  const char* Memory() const { return FData.data(); }
  void LoadFromStream(TStream& Stream);  // the whole of Stream from its start; position 0
  void LoadFromFile(const String& FileName);
  void SaveToStream(TStream& Stream);  // the whole contents, at Stream's position
  void SaveToFile(const String& FileName);

protected:
  std::vector<char> FData;
  Int64 FPosition = 0;
};

// A memory stream whose contents are a text.
class TStringStream : public TMemoryStream {
public:
  explicit TStringStream(const String& AString = String());
  String ClassName() const override { return "TStringStream"; }
  String DataString() const { return String(FData.begin(), FData.end()); }
};

// ---- string lists ------------------------------------------------------------------------
// Text is read by the toolkit's line rules (see SplitTextLines in TextFile.h: LF ends a line,
// CR LF is one line end, a lone CR is dropped, byte 26 ends the text, text after the last LF
// is a last line) and written with LineBreak after every line, CR LF unless changed.
// Index errors raise EListError ("List index out of bounds (5)").
class TStrings : public TPersistent {
public:
  String ClassName() const override { return "TStrings"; }

  virtual int Count() const = 0;
  virtual String Get(int Index) const = 0;
  virtual void Put(int Index, const String& S);  // default: delete and insert
  virtual TObject* GetObject(int Index) const { return nullptr; }
  virtual void PutObject(int Index, TObject* AObject) {}
  virtual void Insert(int Index, const String& S) = 0;
  virtual void InsertObject(int Index, const String& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const String& S);  // returns the new index
  int AddObject(const String& S, TObject* AObject);
  virtual void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void AddStrings(const TStrings& Strings);
  void Append(const String& S) { Add(S); }

  String Strings(int Index) const { return Get(Index); }
  String operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }

  // Index of the first equal text (TStringList: with its CaseSensitive setting; the base
  // compares ignoring ASCII case), -1 when absent.
  virtual int IndexOf(const String& S) const;
  int IndexOfObject(TObject* AObject) const;

  // The lines joined, each followed by LineBreak.
  virtual String Text() const;
  virtual void SetText(const String& Value);
  String LineBreak = "\r\n";

  // Items separated by Delimiter; an item with a blank, the delimiter, a quote or a control
  // character is quoted with QuoteChar (inner quotes doubled). Reading splits at the delimiter
  // and (unless StrictDelimiter) at blanks outside quotes.
  char Delimiter = ',';
  char QuoteChar = '"';
  bool StrictDelimiter = false;
  String DelimitedText() const;
  void SetDelimitedText(const String& Value);
  // DelimitedText with "," and '"'.
  String CommaText() const;
  void SetCommaText(const String& Value);

  // "Name=Value" lines.
  String Names(int Index) const;
  String ValueFromIndex(int Index) const;
  String Values(const String& Name) const;
  void SetValue(const String& Name, const String& Value);  // "" removes the line
  int IndexOfName(const String& Name) const;

  virtual void LoadFromFile(const String& FileName);  // EFOpenError when it cannot be opened
  virtual void SaveToFile(const String& FileName);    // EFCreateError when it cannot be created
  virtual void LoadFromStream(TStream& Stream);       // from Stream's position to its end
  virtual void SaveToStream(TStream& Stream);

  void Assign(TPersistent* Source) override;

  // Groups changes: OnChange (of TStringList) fires once at the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  std::vector<String> ToVector() const;

protected:
  virtual void SetUpdateState(bool Updating) {}
  [[noreturn]] void IndexError(int Index) const;

private:
  int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
  TStringList() = default;
  ~TStringList() override;
  String ClassName() const override { return "TStringList"; }

  int Count() const override { return static_cast<int>(FItems.size()); }
  String Get(int Index) const override;
  void Put(int Index, const String& S) override;  // EListError on a sorted list
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  // On a sorted list Insert raises EListError ("Operation not allowed on sorted list");
  // Add puts the text at its sorted place and applies Duplicates (dupError raises EListError
  // "String list does not allow duplicates"; dupIgnore returns the existing index).
  int Add(const String& S) override;
  void Insert(int Index, const String& S) override;
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const String& S) const override;
  void SetText(const String& Value) override;
  void LoadFromStream(TStream& Stream) override;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);          // true sorts at once
  TDuplicates Duplicates = dupIgnore;  // applies to a sorted list only
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  // Owns its objects: deletes them when their line is deleted and when the list is destroyed.
  bool OwnsObjects = false;

  // Sorting is stable, by CompareText (or CompareStr when case-sensitive).
  virtual void Sort();
  using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;
  void CustomSort(const TStringListSortCompare& Compare);
  // On a sorted list: binary search; Index is where S is or would be inserted.
  bool Find(const String& S, int& Index) const;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // A direct reference to a line, for in-place edits (no OnChange).
  String& Ref(int Index);

protected:
  void SetUpdateState(bool Updating) override;
  void Changed();
  void Changing();
  int CompareStrings(const String& A, const String& B) const;

private:
  struct Item {
    String S;
    TObject* Obj = nullptr;
  };
  void InsertItem(int Index, const String& S, TObject* AObject);
  std::vector<Item> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
};
