// Streams and string lists.

#include "Classes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "SysUtils.h"
#include "TextFile.h"

// ---- TStream ---------------------------------------------------------------------------------
Int64 TStream::Size() {
  Int64 pos = Seek(0, soFromCurrent);
  Int64 end = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return end;
}

void TStream::ReadBuffer(void* Buffer, Int64 Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& Source, Int64 Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  Int64 done = 0;
  std::vector<char> buf(65536);
  while (done < Count) {
    Int64 n = std::min<Int64>(Count - done, static_cast<Int64>(buf.size()));
    Source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

String TStream::ReadString(Int64 Count) {
  String s;
  if (Count <= 0) return s;
  s.resize(static_cast<size_t>(Count));
  Int64 n = Read(s.data(), Count);
  s.resize(static_cast<size_t>(n));
  return s;
}

// ---- TFileStream -----------------------------------------------------------------------------
namespace {
constexpr size_t kFileBuf = 1 << 16;
}

TFileStream::TFileStream(const String& FileName, Word Mode) : FFileName(FileName) {
  int flags = O_CLOEXEC;
  if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
    FCanRead = FCanWrite = true;
  } else {
    switch (Mode & 0x3) {
      case fmOpenWrite:
        flags |= O_WRONLY;
        FCanWrite = true;
        break;
      case fmOpenReadWrite:
        flags |= O_RDWR;
        FCanRead = FCanWrite = true;
        break;
      default:
        flags |= O_RDONLY;
        FCanRead = true;
        break;
    }
  }
  FHandle = ::open(FileName.c_str(), flags, 0666);
  if (FHandle >= 0) {
    struct stat st;
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      errno = EISDIR;
    }
  }
  if (FHandle < 0) {
    String reason = std::strerror(errno);
    if (flags & O_CREAT) throw EFCreateError("Cannot create file \"" + FileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + reason);
  }
  FBuf.resize(kFileBuf);
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) {
    try {
      FlushWrite();
    } catch (...) {}
    ::close(FHandle);
  }
}

void TFileStream::FlushWrite() {
  if (!FWriting) return;
  size_t off = 0;
  if (::lseek(FHandle, FBufStart, SEEK_SET) < 0) throw EWriteError("Stream write error");
  while (off < FBufLen) {
    ssize_t w = ::write(FHandle, FBuf.data() + off, FBufLen - off);
    if (w < 0) {
      if (errno == EINTR) continue;
      FWriting = false;
      FBufLen = 0;
      throw EWriteError("Stream write error");
    }
    off += static_cast<size_t>(w);
  }
  FFilePos = FBufStart + static_cast<Int64>(FBufLen);
  FBufStart = FFilePos;
  FBufLen = 0;
  FBufPos = 0;
  FWriting = false;
}

void TFileStream::DropRead() {
  if (FWriting) return;
  FBufStart += static_cast<Int64>(FBufPos);
  FBufLen = 0;
  FBufPos = 0;
}

void TFileStream::Flush() { FlushWrite(); }

Int64 TFileStream::Read(void* Buffer, Int64 Count) {
  if (Count <= 0 || !FCanRead) return 0;
  FlushWrite();
  char* out = static_cast<char*>(Buffer);
  Int64 done = 0;
  while (done < Count) {
    if (FBufPos < FBufLen) {
      size_t n = std::min<size_t>(FBufLen - FBufPos, static_cast<size_t>(Count - done));
      std::memcpy(out + done, FBuf.data() + FBufPos, n);
      FBufPos += n;
      done += static_cast<Int64>(n);
      continue;
    }
    // Buffer empty: refill from the current position.
    FBufStart += static_cast<Int64>(FBufPos);
    FBufPos = FBufLen = 0;
    if (FFilePos != FBufStart) {
      if (::lseek(FHandle, FBufStart, SEEK_SET) < 0) break;
      FFilePos = FBufStart;
    }
    if (Count - done >= static_cast<Int64>(FBuf.size())) {
      ssize_t r = ::read(FHandle, out + done, static_cast<size_t>(Count - done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      done += r;
      FFilePos += r;
      FBufStart = FFilePos;
      continue;
    }
    ssize_t r = ::read(FHandle, FBuf.data(), FBuf.size());
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    FFilePos += r;
    FBufLen = static_cast<size_t>(r);
  }
  return done;
}

Int64 TFileStream::Write(const void* Buffer, Int64 Count) {
  if (Count <= 0 || !FCanWrite) return 0;
  if (!FWriting) {
    DropRead();
    FWriting = true;
    FBufLen = 0;
  }
  const char* in = static_cast<const char*>(Buffer);
  Int64 done = 0;
  while (done < Count) {
    if (FBufLen == FBuf.size()) FlushWrite(), FWriting = true;
    size_t n = std::min<size_t>(FBuf.size() - FBufLen, static_cast<size_t>(Count - done));
    std::memcpy(FBuf.data() + FBufLen, in + done, n);
    FBufLen += n;
    done += static_cast<Int64>(n);
  }
  return done;
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 cur =
      FWriting ? FBufStart + static_cast<Int64>(FBufLen) : FBufStart + static_cast<Int64>(FBufPos);
  if (Origin == soFromCurrent && Offset == 0) return cur;
  FlushWrite();
  DropRead();
  Int64 target;
  switch (Origin) {
    case soFromBeginning: target = Offset; break;
    case soFromCurrent: target = cur + Offset; break;
    default: {
      struct stat st;
      if (::fstat(FHandle, &st) != 0) throw EReadError("Stream seek error");
      target = static_cast<Int64>(st.st_size) + Offset;
      break;
    }
  }
  if (target < 0) throw EReadError("Stream seek error");
  FBufStart = target;
  FBufLen = FBufPos = 0;
  return target;
}

Int64 TFileStream::Size() {
  struct stat st;
  if (::fstat(FHandle, &st) != 0) return 0;
  Int64 size = static_cast<Int64>(st.st_size);
  if (FWriting) size = std::max(size, FBufStart + static_cast<Int64>(FBufLen));
  return size;
}

void TFileStream::SetSize(Int64 NewSize) {
  Int64 pos = Position();
  FlushWrite();
  DropRead();
  if (::ftruncate(FHandle, NewSize) != 0) throw EWriteError("Stream write error");
  FBufStart = std::min(pos, NewSize);
  FBufLen = FBufPos = 0;
}

// ---- TMemoryStream ---------------------------------------------------------------------------
Int64 TMemoryStream::Read(void* Buffer, Int64 Count) {
  Int64 avail = static_cast<Int64>(FData.size()) - FPosition;
  if (Count <= 0 || avail <= 0) return 0;
  Int64 n = std::min(Count, avail);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count) {
  if (Count <= 0) return 0;
  if (FPosition + Count > static_cast<Int64>(FData.size()))
    FData.resize(static_cast<size_t>(FPosition + Count));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

Int64 TMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 target = Origin == soFromBeginning ? Offset
                 : Origin == soFromCurrent ? FPosition + Offset
                                           : static_cast<Int64>(FData.size()) + Offset;
  if (target < 0) throw EReadError("Stream seek error");
  FPosition = target;
  return target;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) NewSize = 0;
  FData.resize(static_cast<size_t>(NewSize));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  Int64 n = Stream.Size();
  FData.resize(static_cast<size_t>(n));
  if (n > 0) Stream.ReadBuffer(FData.data(), n);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& Stream) {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<Int64>(FData.size()));
}

void TMemoryStream::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
  f.Flush();
}

TStringStream::TStringStream(const String& AString) {
  FData.assign(AString.begin(), AString.end());
}

// ---- TStrings --------------------------------------------------------------------------------
void TStrings::IndexError(int Index) const {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStrings::Put(int Index, const String& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

int TStrings::Add(const String& S) {
  int i = Count();
  Insert(i, S);
  return i;
}

int TStrings::AddObject(const String& S, TObject* AObject) {
  int i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    String s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = GetObject(Index1);
    TObject* o2 = GetObject(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    String s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::AddStrings(const TStrings& Strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < Strings.Count(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Get(i), S)) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

String TStrings::Text() const {
  String r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += LineBreak;
  }
  return r;
}

void TStrings::SetText(const String& Value) {
  BeginUpdate();
  try {
    Clear();
    for (auto& line : SplitTextLines(Value)) Add(line);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

namespace {
bool NeedsQuote(const String& s, char delim, char quote, bool strict) {
  if (s.empty()) return false;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == delim || c == quote || (!strict && u <= ' ') || (strict && u < ' ')) return true;
  }
  return false;
}
}  // namespace

String TStrings::DelimitedText() const {
  if (Count() == 1 && Get(0).empty()) return String(2, QuoteChar);
  String r;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) r += Delimiter;
    String s = Get(i);
    if (NeedsQuote(s, Delimiter, QuoteChar, StrictDelimiter)) {
      String q(1, QuoteChar);
      for (char c : s) {
        if (c == QuoteChar) q += QuoteChar;
        q += c;
      }
      q += QuoteChar;
      r += q;
    } else {
      r += s;
    }
  }
  return r;
}

void TStrings::SetDelimitedText(const String& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t i = 0, n = Value.size();
    auto isSpace = [&](char c) { return !StrictDelimiter && static_cast<unsigned char>(c) <= ' '; };
    while (i < n && isSpace(Value[i])) ++i;
    while (i < n) {
      String item;
      if (Value[i] == QuoteChar) {
        ++i;
        while (i < n) {
          if (Value[i] == QuoteChar) {
            if (i + 1 < n && Value[i + 1] == QuoteChar) {
              item += QuoteChar;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          item += Value[i++];
        }
      } else {
        while (i < n && Value[i] != Delimiter && !isSpace(Value[i])) item += Value[i++];
      }
      Add(item);
      while (i < n && isSpace(Value[i])) ++i;
      if (i < n && Value[i] == Delimiter) {
        ++i;
        while (i < n && isSpace(Value[i])) ++i;
        if (i >= n) Add(String());  // a trailing delimiter ends with an empty item
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::CommaText() const {
  struct Saver {
    TStrings* s;
    char d, q;
    bool strict;
    ~Saver() {
      s->Delimiter = d;
      s->QuoteChar = q;
      s->StrictDelimiter = strict;
    }
  };
  auto* self = const_cast<TStrings*>(this);
  Saver sv{self, Delimiter, QuoteChar, StrictDelimiter};
  self->Delimiter = ',';
  self->QuoteChar = '"';
  self->StrictDelimiter = false;
  return DelimitedText();
}

void TStrings::SetCommaText(const String& Value) {
  char d = Delimiter, q = QuoteChar;
  bool strict = StrictDelimiter;
  Delimiter = ',';
  QuoteChar = '"';
  StrictDelimiter = false;
  try {
    SetDelimitedText(Value);
  } catch (...) {
    Delimiter = d;
    QuoteChar = q;
    StrictDelimiter = strict;
    throw;
  }
  Delimiter = d;
  QuoteChar = q;
  StrictDelimiter = strict;
}

String TStrings::Names(int Index) const {
  String s = Get(Index);
  size_t p = s.find('=');
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::ValueFromIndex(int Index) const {
  String s = Get(Index);
  size_t p = s.find('=');
  return p == String::npos ? String() : s.substr(p + 1);
}

int TStrings::IndexOfName(const String& Name) const {
  for (int i = 0; i < Count(); ++i) {
    String s = Get(i);
    size_t p = s.find('=');
    if (p != String::npos && SameText(s.substr(0, p), Name)) return i;
  }
  return -1;
}

String TStrings::Values(const String& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& Name, const String& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0)
    Add(Name + "=" + Value);
  else
    Put(i, Name + "=" + Value);
}

void TStrings::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TStrings::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
  f.Flush();
}

void TStrings::LoadFromStream(TStream& Stream) {
  Int64 size = Stream.Size() - Stream.Position();
  String bytes = Stream.ReadString(size);
  SetText(bytes);
}

void TStrings::SaveToStream(TStream& Stream) { Stream.WriteString(Text()); }

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      LineBreak = src->LineBreak;
      Delimiter = src->Delimiter;
      QuoteChar = src->QuoteChar;
      StrictDelimiter = src->StrictDelimiter;
      AddStrings(*src);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

std::vector<String> TStrings::ToVector() const {
  std::vector<String> v;
  v.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
  return v;
}

// ---- TStringList -----------------------------------------------------------------------------
TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (OwnsObjects)
    for (auto& it : FItems) delete it.Obj;
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) {
    if (OnChanging) OnChanging(this);
  } else {
    if (OnChange) OnChange(this);
  }
}

int TStringList::CompareStrings(const String& A, const String& B) const {
  return FCaseSensitive ? CompareStr(A, B) : CompareText(A, B);
}

String TStringList::Get(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[static_cast<size_t>(Index)].S;
}

String& TStringList::Ref(int Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[static_cast<size_t>(Index)].S;
}

void TStringList::Put(int Index, const String& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index >= Count()) IndexError(Index);
  Changing();
  FItems[static_cast<size_t>(Index)].S = S;
  Changed();
}

TObject* TStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[static_cast<size_t>(Index)].Obj;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  Changing();
  FItems[static_cast<size_t>(Index)].Obj = AObject;
  Changed();
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
  Changing();
  FItems.insert(FItems.begin() + Index, Item{S, AObject});
  Changed();
}

int TStringList::Add(const String& S) {
  if (!FSorted) {
    int i = Count();
    InsertItem(i, S, nullptr);
    return i;
  }
  int idx;
  if (Find(S, idx)) {
    if (Duplicates == dupIgnore) return idx;
    if (Duplicates == dupError) throw EListError("String list does not allow duplicates");
    // dupAccept: after the equal ones, so equal texts keep their order of arrival.
    while (idx < Count() && CompareStrings(FItems[static_cast<size_t>(idx)].S, S) == 0) ++idx;
  }
  InsertItem(idx, S, nullptr);
  return idx;
}

void TStringList::Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  Changing();
  TObject* o = FItems[static_cast<size_t>(Index)].Obj;
  FItems.erase(FItems.begin() + Index);
  if (OwnsObjects) delete o;
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  if (OwnsObjects)
    for (auto& it : FItems) delete it.Obj;
  FItems.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) IndexError(Index1);
  if (Index2 < 0 || Index2 >= Count()) IndexError(Index2);
  Changing();
  std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
  Changed();
}

int TStringList::IndexOf(const String& S) const {
  if (FSorted) {
    int i;
    return Find(S, i) ? i : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(FItems[static_cast<size_t>(i)].S, S) == 0) return i;
  return -1;
}

void TStringList::SetText(const String& Value) { TStrings::SetText(Value); }

void TStringList::LoadFromStream(TStream& Stream) {
  BeginUpdate();
  try {
    TStrings::LoadFromStream(Stream);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStringList::SetSorted(bool Value) {
  if (Value && !FSorted) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.S, b.S) < 0; });
  Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (!Compare || Count() < 2) return;
  Changing();
  // Compare by index on a snapshot, then rearrange.
  std::vector<int> order(static_cast<size_t>(Count()));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(FItems[static_cast<size_t>(i)]);
  FItems = std::move(sorted);
  Changed();
}

bool TStringList::Find(const String& S, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareStrings(FItems[static_cast<size_t>(mid)].S, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;  // keep going left: the first equal one
    }
  }
  Index = lo;
  return found;
}
