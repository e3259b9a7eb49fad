// The ASC text format of the data table: a four-line header (comment, column count, row
// count, flags), the column names, one line per row (attribute, name, cells) and a block
// describing the nominal and ordinal columns. Readers see the part after the header as items
// separated by blanks, tabs and line ends; the block is read line by line after the rows.

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "Clipbrd.h"
#include "DOV_datatable.h"
#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_matrix_common.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "DOV_utf8.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr const char* kEmptyName = "(.;#;.)";
constexpr const char* kNotANumber = "NAN";
constexpr const char* kEmptyCell = "###";
constexpr const char* kBlockStart = "<VARTYPES>";
constexpr const char* kBlockEnd = "</VARTYPES>";
constexpr const char* kDefaultComment = "Exported by DOV DataTable component";
constexpr char kTab = '\t';

String NameField(const String& Name) {
  const String n = StripLTBlanks(Name);
  if (n.empty()) return kEmptyName;
  String q;
  for (char ch : n) {
    q += ch;
    if (ch == '"') q += '"';
  }
  return n.find(' ') == String::npos ? q : "\"" + q + "\"";
}

// One entry of the nominal-variables block: "c Type <k=id>...".
struct TBlockEntry {
  Integer Column = 0;
  TMScaleType Type = stInterval;
  std::vector<std::pair<Integer, String>> IDs;
};

TBlockEntry ParseBlockEntry(const String& Line) {
  TBlockEntry e;
  const size_t blank = Line.find(' ');
  e.Column = StrToInt(Line.substr(0, blank));
  String rest = blank == String::npos ? String() : Line.substr(blank + 1);
  const size_t b2 = rest.find(' ');
  const String word = UpperCase(rest.substr(0, b2));
  rest = b2 == String::npos ? String() : rest.substr(b2 + 1);
  if (word == "ORDINAL")
    e.Type = stOrdinal;
  else if (word == "NOMINAL")
    e.Type = stNominal;
  else if (word == "RATIO")
    e.Type = stRatio;
  for (;;) {
    const size_t close = rest.find('>');
    if (close == String::npos) break;
    const String item = rest.substr(0, close + 1);
    rest.erase(0, close + 1);
    const size_t eq = item.find('=');
    if (eq == String::npos) continue;
    const Integer k = StrToInt(item.substr(1, eq - 1));
    e.IDs.emplace_back(k, item.substr(eq + 1, item.size() - eq - 2));
  }
  return e;
}

// ---- sources: a text file or a stream ------------------------------------------------------

// The file forms: items read as the run-time reads text (words, reals), lines for the block.
class TFileSource {
public:
  explicit TFileSource(TTextFile& F) : FFile(F) {}
  static constexpr bool kFile = true;
  bool NextChar(char& c) {
    if (FFile.Eof()) return false;
    c = FFile.ReadChar();
    return true;
  }
  bool ReadReal(double& v) {
    if (FFile.SeekEof()) return false;
    return TryStrToDouble(ReadNextWordInTextFile(FFile), v);
  }
  String ReadWord() { return ReadNextWordInTextFile(FFile); }
  bool ReadLine(String& Line) {
    if (FFile.Eof()) return false;
    FFile.ReadLn(Line);
    return true;
  }
  void DropRestOfLine() {}
  Int64 BytesLeft() { return FFile.FileSize() - FFile.FilePos(); }

private:
  TTextFile& FFile;
};

// The stream forms: numbers by the stream scanner (a dot or a comma, exponent allowed).
class TStreamSource {
public:
  explicit TStreamSource(TStream& S) : FStream(S) {}
  static constexpr bool kFile = false;
  bool NextChar(char& c) { return FStream.Read(&c, 1) == 1; }
  bool ReadReal(double& v) {
    v = ScanStreamFPNum(FStream, true, dsBoth);
    return true;
  }
  String ReadWord() { return ""; }
  bool ReadLine(String& Line) {
    if (FStream.Position() >= FStream.Size()) return false;
    bool end = false;
    Line = ReadLnStream(FStream, end, 0);
    return true;
  }
  void DropRestOfLine() {
    bool end = false;
    ReadLnStream(FStream, end, 0);
  }
  Int64 BytesLeft() { return FStream.Size() - FStream.Position(); }

private:
  TStream& FStream;
};

template <class Source>
String ReadName(Source& Src, Byte& State, String& Name) {
  State = vsStart;
  Name.clear();
  auto st = static_cast<TQuotedStrState>(State);
  char c;
  while (Src.NextChar(c))
    if (ParseQuotedName(c, '"', Name, st)) break;
  State = static_cast<Byte>(st);
  return Name == kEmptyName ? String() : Name;
}

template <class Source>
std::vector<TBlockEntry> ReadBlock(Source& Src) {
  std::vector<TBlockEntry> entries;
  String line;
  bool inBlock = false;
  while (Src.ReadLine(line)) {
    const String u = UpperCase(line);
    if (!inBlock) {
      inBlock = u.find(kBlockStart) != String::npos;
      continue;
    }
    if (u.find(kBlockEnd) != String::npos) break;
    entries.push_back(ParseBlockEntry(line));
  }
  return entries;
}

}  // namespace

// ---- writing -------------------------------------------------------------------------------

String TDataTable::ASCText(const String& Comment, Integer Precision, bool Parentheses,
                           String& Failure) const {
  Failure.clear();
  bool anyCategory = false;
  for (Integer c = 1; c <= FNrOfCols; ++c)
    anyCategory = anyCategory || GetMScaleType(c) != stInterval;
  String t;
  t += Comment + "\r\n";
  t += IntToStr(FNrOfCols) + kTab + ";nr. of columns\r\n";
  t += IntToStr(FNrOfRows) + kTab + ";nr. of rows\r\n";
  t += String("TRUE TRUE TRUE ") + (anyCategory ? "TRUE" : "FALSE") + kTab +
       ";row attributes, column names, row names, nominal variables\r\n";
  for (Integer c = 1; c <= FNrOfCols; ++c) t += kTab + NameField(GetColName(c));
  t += "\r\n";
  for (Integer r = 1; r <= FNrOfRows; ++r) {
    t += IntToStr(GetRowAttrib(r)) + kTab + NameField(GetRowName(r));
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      t += kTab;
      const Byte s = GetCellState(c, r);
      if ((s & (csNoNumber | csEmpty)) == 0) {
        // In the run-time's form where that reads back, else in the shortest exact digits.
        const String v = TableFloatText(GetElem(c, r), 12, Precision);
        if (v.empty()) {
          Failure = "Cannot write cell (column " + IntToStr(c) + ", row " + IntToStr(r) +
                    "): its value is not a finite number";
          return String();
        }
        t += (Parentheses && (s & csImputed) != 0) ? "(" + v + ")" : v;
      } else {
        t += (s & csEmpty) != 0 ? kEmptyCell : kNotANumber;
      }
    }
    t += "\r\n";
  }
  if (anyCategory) {
    t += String(kBlockStart) + "\r\n";
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      const TMScaleType type = GetMScaleType(c);
      if (type == stInterval) continue;
      t += IntToStr(c) + " " + MScaleTypeNames[type] + " ";
      for (Integer k = 1; k <= MaxNominalIDs; ++k)
        if (const String id = GetNominalID(c, k); !id.empty())
          t += "<" + IntToStr(k) + "=" + id + ">";
      t += "\r\n";
    }
    t += String(kBlockEnd) + "\r\n";
  }
  return t;
}

namespace {
String WithoutLineFeeds(const String& C) {
  String s = C;
  for (auto& ch : s)
    if (ch == '\n') ch = ' ';
  return s;
}
}  // namespace

String TDataTable::ExportAsASC(const String& FName, Integer Precision) {
  FComment = WithoutLineFeeds(FComment);
  const String comment = FComment.empty() ? String(kDefaultComment) + ": " + FName : FComment;
  String failure;
  const String text = ASCText(comment, Precision, true, failure);
  if (!failure.empty()) return failure;
  if (!WriteFileReplacing(FName, text)) return "Cannot create file \"" + FName + "\"";
  return "";
}

String TDataTable::ExportAsASC(TTextFile& TextFile, Integer Precision) {
  FComment = WithoutLineFeeds(FComment);
  String failure;
  const String text =
      ASCText(FComment.empty() ? String(kDefaultComment) : FComment, Precision, true, failure);
  if (failure.empty()) TextFile.Write(text);
  return failure;
}

String TDataTable::ExportAsASC(TStream& OutStream, Integer Precision) {
  String failure;
  const String text =
      ASCText(FComment.empty() ? String(kDefaultComment) : FComment, Precision, false, failure);
  if (failure.empty()) WriteStringStream(OutStream, text);
  return failure;
}

// ---- replacing the table -------------------------------------------------------------------

namespace {

struct THeader {
  String Comment;
  Integer Cols = 0, Rows = 0;
  bool RowAttribs = false, ColNames = false, RowNames = false, NominalVars = false;
};

}  // namespace

namespace dov_asc {

// The body of ImportASC after the header, for both sources.
template <class Source>
Integer ReadTableBody(TDataTable& T, Source& Src, const THeader& h, Byte& VNState, String& VNName,
                      std::vector<String>& ColNames, std::vector<String>& RowNames,
                      std::vector<Integer>& RowAtts, std::vector<std::vector<Byte>>& States,
                      Integer& RowsBegun) {
  Integer status = 0;
  if (h.ColNames)
    for (Integer c = 0; c < h.Cols; ++c)
      ColNames[c] = utf8::CutBytes(ReadName(Src, VNState, VNName), MaxDTNameLength);
  RowsBegun = h.Rows;
  for (Integer r = 1; r <= h.Rows && status == 0; ++r) {
    if (h.RowAttribs) {
      double a = 0;
      if (!Src.ReadReal(a) || !(std::fabs(a) < 2147483648.0)) {
        status = -5;
        RowsBegun = r;
        break;
      }
      RowAtts[r - 1] = static_cast<Integer>(std::nearbyint(a));
    }
    if (h.RowNames)
      RowNames[r - 1] = utf8::CutBytes(ReadName(Src, VNState, VNName), MaxDTNameLength);
    for (Integer c = 1; c <= h.Cols && status == 0; ++c) {
      double v = 0;
      Byte state = 0;
      if constexpr (Source::kFile) {
        const String w = StripLTBlanks(Src.ReadWord());
        if (w == kNotANumber) {
          state = csNoNumber;
        } else if (w == kEmptyCell) {
          state = csEmpty;
        } else if (!TryStrToFloat(w, v)) {
          status = -6;
          RowsBegun = r;
          break;
        }
      } else {
        Src.ReadReal(v);
      }
      T.NumericData->ColumnPtr(c)[r - 1] = v;
      States[c - 1][r - 1] = state;
    }
  }
  return status;
}

}  // namespace dov_asc

namespace {

// Reads the header, sizes and fills the table, reads the block. Returns the status.
template <class Source>
Integer ImportBody(
    TDataTable& T, Source& Src, const THeader& h, Byte& VNState, String& VNName,
    const std::function<void(Integer, Integer)>& Prepare,
    const std::function<void(const std::vector<String>&, const std::vector<String>&,
                             const std::vector<Integer>&, const std::vector<std::vector<Byte>>&,
                             Integer)>& Commit) {
  Prepare(h.Cols, h.Rows);
  std::vector<String> colNames(static_cast<std::size_t>(h.Cols)),
      rowNames(static_cast<std::size_t>(h.Rows));
  for (Integer c = 0; c < h.Cols; ++c) colNames[c] = "C-" + IntToStr(c + 1);
  for (Integer r = 0; r < h.Rows; ++r) rowNames[r] = "R-" + IntToStr(r + 1);
  std::vector<Integer> rowAtts(static_cast<std::size_t>(h.Rows), 0);
  std::vector<std::vector<Byte>> states(static_cast<std::size_t>(h.Cols),
                                        std::vector<Byte>(static_cast<std::size_t>(h.Rows), 0));
  Integer rowsBegun = h.Rows;
  const Integer status = dov_asc::ReadTableBody(T, Src, h, VNState, VNName, colNames, rowNames,
                                                rowAtts, states, rowsBegun);
  Commit(colNames, rowNames, rowAtts, states, rowsBegun);
  if (h.NominalVars)
    for (const TBlockEntry& e : ReadBlock(Src)) {
      if (e.Type == stInterval) continue;
      T.SetMScaleType(e.Column, e.Type);
      for (const auto& [k, id] : e.IDs) T.SetNominalID(e.Column, k, id);
    }
  return status;
}

}  // namespace

Integer TDataTable::ImportASC(const String& FName) {
  if (!FileExists(FName)) return -8;
  return ImportASCFrom(FName);
}

Integer TDataTable::ImportASC(TStream& InStream) { return ImportASCFrom(InStream); }

Integer TDataTable::ImportASC(TClipboard* ClipBd) {
  if (ClipBd == nullptr || !ClipBd->HasText()) return -7;
  TStringStream s(ClipBd->AsText());
  return ImportASC(s);
}

// Reads the header from a file name or a stream and replaces the table.
template <class Origin>
Integer TDataTable::ImportASCFrom(Origin& Src) {
  const Integer oldCols = FNrOfCols, oldRows = FNrOfRows;
  TDataTableResizeEvent resized = std::exchange(OnResize, nullptr);
  UnbindData(NumericData);
  Integer status = 0;
  auto finish = [&] {
    BindData();
    OnResize = std::move(resized);
  };
  try {
    THeader h;
    status = ReadHeaderOfASC(Src, h.Comment, h.Cols, h.Rows, h.RowAttribs, h.ColNames, h.RowNames,
                             h.NominalVars);
    if (status == 0) {
      auto prepare = [this](Integer Cols, Integer Rows) {
        // An external matrix belongs to its caller: the import neither resizes nor overwrites
        // it, but leaves it (unbound) and takes a matrix of the table's own.
        if (FExtMatAssigned) {
          auto own = std::make_unique<TMatrix>(nullptr);
          try {
            own->Resize(std::max<Integer>(FNrOfCols, 1), std::max<Integer>(FNrOfRows, 1));
          } catch (const ESDLError&) {
            RaiseNoMemory();
          }
          NumericData = own.release();
          FExtMatAssigned = false;
        }
        Resize(Cols, Rows);
        NumericData->Fill(0.0);
        for (auto& t : FVType) t = TVTypeSpec();
        std::fill(FColAtt.begin(), FColAtt.end(), 0);
      };
      auto commit = [this](const std::vector<String>& cn, const std::vector<String>& rn,
                           const std::vector<Integer>& ra, const std::vector<std::vector<Byte>>& st,
                           Integer rowsBegun) {
        for (std::size_t c = 0; c < cn.size(); ++c) {
          FColName[c] = cn[c];
          FCState[c] = st[c];
        }
        for (std::size_t r = 0; r < rn.size(); ++r) {
          FRowName[r] = rn[r];
          FRowAtt[r] = ra[r];
        }
        SetNrRows(rowsBegun);
      };
      auto body = [&](auto& source, Int64 bytesLeft) -> Integer {
        // Every item takes two bytes at the least (a character and a separator). A count below
        // 0 or more columns than the rest of the input can hold is the header error, as in
        // ReadFromASC, and the table stays as it was; so do rows without items beyond it,
        // which would size the table for nothing. Rows with items are believed only as far
        // as the input goes.
        const Int64 room = bytesLeft / 2 + 1;
        const Int64 perRow = Int64{h.Cols} + h.RowAttribs + h.RowNames;
        if (h.Cols < 0 || h.Cols > room) return -1;
        if (h.Rows < 0 || (perRow == 0 && h.Rows > room)) return -2;
        if (perRow > 0 && h.Rows * perRow > room)
          h.Rows = static_cast<Integer>(std::min<Int64>(h.Rows, room / perRow + 1));
        FComment = h.Comment;
        return ImportBody(*this, source, h, FVNState, FVNName, prepare, commit);
      };
      if constexpr (std::is_same_v<Origin, const String>) {
        TTextFile f(Src);
        f.Reset();
        for (int i = 0; i < 4; ++i) f.ReadLn();
        TFileSource source(f);
        status = body(source, f.FileSize() - f.FilePos());
      } else {
        TStreamSource source(Src);
        status = body(source, Src.Size() - Src.Position());
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
  if (OnResize) OnResize(this, oldCols, oldRows, FNrOfCols, FNrOfRows);
  return status;
}

// ---- merging a block -----------------------------------------------------------------------

Integer TDataTable::ReadFromASC(const String& FName, Integer PosX, Integer PosY, bool ReplaceIDs) {
  if (!FileExists(FName)) return -8;
  return ReadFromASCFrom(FName, PosX, PosY, ReplaceIDs);
}

Integer TDataTable::ReadFromASC(TStream& InStream, Integer PosX, Integer PosY, bool ReplaceIDs) {
  return ReadFromASCFrom(InStream, PosX, PosY, ReplaceIDs);
}

Integer TDataTable::ReadFromASC(TClipboard* ClipBd, Integer PosX, Integer PosY, bool ReplaceIDs) {
  if (ClipBd == nullptr || !ClipBd->HasText()) return -7;
  TStringStream s(ClipBd->AsText());
  return ReadFromASC(s, PosX, PosY, ReplaceIDs);
}

template <class Origin>
Integer TDataTable::ReadFromASCFrom(Origin& Src, Integer PosX, Integer PosY, bool ReplaceIDs) {
  UnbindData(NumericData);
  Integer status = 0;
  try {
    THeader h;
    status = ReadHeaderOfASC(Src, h.Comment, h.Cols, h.Rows, h.RowAttribs, h.ColNames, h.RowNames,
                             h.NominalVars);
    if (status == 0) {
      auto body = [&](auto& S) {
        // Every column and every row takes an item of two bytes at the least (a character and
        // a separator): a header that promises more of them than the rest of the input can
        // hold is refused at once, before anything is read or written.
        const Int64 room = S.BytesLeft() / 2 + 1;
        const Int64 perRow = std::max<Int64>(h.Cols, 0) + h.RowAttribs + h.RowNames;
        if (h.Cols > room) {
          status = -1;
          return;
        }
        if (perRow > 0 && h.Rows > room) {
          status = -2;
          return;
        }
        const Int64 tc0 = Int64{PosX} - 1, tr0 = Int64{PosY} - 1;  // target = file index + offset
        auto inCol = [&](Int64 j) { return tc0 + j >= 1 && tc0 + j <= FNrOfCols; };
        auto inRow = [&](Int64 i) { return tr0 + i >= 1 && tr0 + i <= FNrOfRows; };
        if (h.ColNames) {
          for (Int64 j = 1; j <= h.Cols; ++j) {
            const String n = ReadName(S, FVNState, FVNName);
            if (ReplaceIDs && inCol(j))
              FColName[static_cast<std::size_t>(tc0 + j - 1)] = utf8::CutBytes(n, MaxDTNameLength);
          }
          S.DropRestOfLine();
        }
        // Each item read takes at least a byte. The stream form reads zeros past the end of
        // its input and goes on: rows read from there change only the table's rows they land
        // in, so the others are passed over.
        for (Int64 i = 1; perRow > 0 && i <= h.Rows && status == 0; ++i) {
          if (!S.kFile && S.BytesLeft() == 0) {
            if (tr0 + i < 1) i = 1 - tr0;
            if (i > h.Rows || tr0 + i > FNrOfRows) break;
          }
          if (h.RowAttribs) {
            double a = 0;
            if (!S.ReadReal(a) || !(std::fabs(a) < 2147483648.0)) {
              status = -5;
              break;
            }
            if (ReplaceIDs && inRow(i))
              FRowAtt[static_cast<std::size_t>(tr0 + i - 1)] =
                  static_cast<Integer>(std::nearbyint(a));
          }
          if (h.RowNames) {
            const String n = ReadName(S, FVNState, FVNName);
            if (ReplaceIDs && inRow(i))
              FRowName[static_cast<std::size_t>(tr0 + i - 1)] = utf8::CutBytes(n, MaxDTNameLength);
          }
          for (Int64 j = 1; j <= h.Cols; ++j) {
            double v = 0;
            if (!S.ReadReal(v)) {
              status = -6;
              break;
            }
            if (inRow(i) && inCol(j))
              NumericData->ColumnPtr(static_cast<Integer>(tc0 + j))[tr0 + i - 1] = v;
          }
        }
        if (ReplaceIDs) {
          // The target columns of the block that lie inside the table.
          const Int64 first = std::max<Int64>(1, 1 - tc0);
          const Int64 last = std::min<Int64>(h.Cols, FNrOfCols - tc0);
          for (Int64 j = first; j <= last; ++j)
            FVType[static_cast<std::size_t>(tc0 + j - 1)].MScaleType = stInterval;
          if (h.NominalVars)
            for (const TBlockEntry& e : ReadBlock(S)) {
              const Int64 c = Int64{e.Column} + PosX - 1;
              if (c < 1 || c > FNrOfCols) continue;
              SetMScaleType(static_cast<Integer>(c), e.Type);
              for (const auto& [k, id] : e.IDs) SetNominalID(static_cast<Integer>(c), k, id);
            }
        }
      };
      if constexpr (std::is_same_v<Origin, const String>) {
        TTextFile f(Src);
        f.Reset();
        for (int i = 0; i < 4; ++i) f.ReadLn();
        TFileSource source(f);
        body(source);
      } else {
        TStreamSource source(Src);
        body(source);
      }
    }
  } catch (...) {
    BindData();
    throw;
  }
  BindData();
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
  return status;
}
