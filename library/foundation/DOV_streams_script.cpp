#include "DOV_streams.h"

#include <array>

#include "Classes.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr int NumMarks = 10;
constexpr Integer CopyBlock = 1024;

// The marks belong to the unit and survive from one run to the next.
std::array<Int64, NumMarks> Marks{};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Every "$hh" becomes the character of code hh (0 when hh is not hexadecimal, also when the
// line ends early); a decoded "$" is decoded again with what follows it.
String DecodeDollars(String s) {
  for (size_t at = s.find('$'); at != String::npos; at = s.find('$')) {
    const int hi = at + 1 < s.size() ? HexDigit(s[at + 1]) : -1;
    const int lo = at + 2 < s.size() ? HexDigit(s[at + 2]) : -1;
    const unsigned char code = static_cast<unsigned char>(hi >= 0 && lo >= 0 ? hi * 16 + lo : 0);
    const String ch = StringOfLowBytes(reinterpret_cast<const char*>(&code), 1);
    s.replace(at, std::min<size_t>(3, s.size() - at), ch);
  }
  return s;
}

// A decimal integer from the 1-based position (blanks skipped, optional sign); Pos is left
// behind it. No digits give 0.
Int64 ReadNumber(const String& s, size_t& pos) {
  size_t i = pos > 0 ? pos - 1 : 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  Int64 v = 0;
  constexpr Int64 Limit = Int64(1) << 40;  // far beyond any stream position a script meets
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if (v < Limit) v = v * 10 + (s[i] - '0');
  pos = i + 1;
  return negative ? -v : v;
}

Int64 NumberAt(const String& s, size_t pos) { return ReadNumber(s, pos); }

String From(const String& s, size_t pos) { return pos - 1 < s.size() ? s.substr(pos - 1) : ""; }

struct TScriptRun {
  TStream& In;
  TMemoryStream& Out;
  std::array<Byte, 256> Table{};
  std::array<Integer, NumMarks> Labels{};
  std::array<Int64, NumMarks> Counters{};
  bool Found = false;

  TScriptRun(TStream& in, TMemoryStream& out) : In(in), Out(out) {
    Identity();
    Labels.fill(-1);
  }
  void Identity() {
    for (int i = 0; i < 256; ++i) Table[i] = static_cast<Byte>(i);
  }
  Int64 Size() { return In.Size(); }
  Int64 LastPos() { return std::max<Int64>(Size() - 1, 0); }
  void SetPos(Int64 p) { In.SetPosition(std::clamp<Int64>(p, 0, LastPos())); }
  void WriteBytes(const std::string& b) { Out.WriteBuffer(b.data(), static_cast<Int64>(b.size())); }

  void Copy(Int64 count) {
    std::array<Byte, CopyBlock> buf;
    while (count > 0) {
      const Int64 got = In.Read(buf.data(), std::min<Int64>(count, CopyBlock));
      if (got <= 0) break;
      for (Int64 i = 0; i < got; ++i) buf[i] = Table[buf[i]];
      Out.WriteBuffer(buf.data(), got);
      count -= got;
    }
  }

  // Byte search: a mismatch starts the text again without testing that byte once more.
  bool Search(const std::string& text, Int64 limit) {
    const Int64 start = In.Position();
    size_t k = 0;
    Byte b = 0;
    {
      TStreamByteReader reader(In);
      Int64 pos = start;
      while (k < text.size()) {
        if (limit >= 0 && pos >= limit) break;
        if (!reader.Next(b)) break;
        ++pos;
        k = LowerCaseChar(static_cast<char>(b)) == text[k] ? k + 1 : 0;
      }
    }
    if (k < text.size()) In.SetPosition(start);
    return k >= text.size();
  }

  void LoadTable(const String& name) {
    try {
      TTextFile f(name);
      f.Reset();
      int entry = 0;
      while (!f.Eof() && entry < 256) {
        const String line = f.ReadLine();
        size_t i = 0;
        for (int n = 0; n < 16 && entry < 256; ++n) {
          while (i < line.size() && line[i] == ' ') ++i;
          if (i < line.size() && line[i] == '$') ++i;
          unsigned v = 0;
          for (; i < line.size() && HexDigit(line[i]) >= 0; ++i)
            v = (v * 16 + static_cast<unsigned>(HexDigit(line[i]))) & 0xFFFFFFu;
          Table[entry++] = static_cast<Byte>(v);
        }
      }
    } catch (const Exception&) {
      // An unreadable table ends the command quietly; the entries read so far stay.
    }
  }
};

bool ValidMark(Int64 m) { return m >= 0 && m < NumMarks; }

}  // namespace

void ExtractFromStream(TStream& InStream, TMemoryStream& OutStream, const TStrings& Script) {
  TScriptRun run(InStream, OutStream);
  const int count = Script.Count();
  int pc = 0;
  while (pc >= 0 && pc < count) {
    const int lineIx = pc++;
    const String line = DecodeDollars(StripLTBlanks(Script[lineIx]));
    const String cmd = LowerCase(line.substr(0, line.find(' ')));
    if (cmd == "incpos") {
      run.SetPos(InStream.Position() + NumberAt(line, 8));
    } else if (cmd == "resetpos") {
      InStream.SetPosition(0);
    } else if (cmd == "find") {
      run.Found = run.Search(LowBytesOfString(LowerCase(From(line, 6))), -1);
    } else if (cmd == "findwithin") {
      size_t pos = 12;
      const Int64 k = ReadNumber(line, pos);
      const std::string text = LowBytesOfString(LowerCase(StripLTBlanks(From(line, pos))));
      run.Found = run.Search(text, InStream.Position() + k);
    } else if (cmd == "insert") {
      run.WriteBytes(LowBytesOfString(From(line, 8)));
    } else if (cmd == "insertbyte") {
      const Int64 b = NumberAt(line, 12);
      if (b >= 0 && b <= 255) run.WriteBytes(std::string(1, static_cast<char>(b)));
    } else if (cmd == "insertdate") {
      run.WriteBytes(LowBytesOfString(FormatDateTime(StripLTBlanks(From(line, 12)), Now())));
    } else if (cmd == "dellast") {
      const Int64 position = OutStream.Position();
      const Int64 size = std::clamp<Int64>(position - NumberAt(line, 9), 0, position);
      OutStream.SetSize(size);
      OutStream.SetPosition(size);
    } else if (cmd == "copyrel") {
      Int64 k = NumberAt(line, 9);
      k = std::min(k, run.Size() - InStream.Position() - 1);
      run.Copy(k);
    } else if (cmd == "endpos") {
      InStream.SetPosition(run.LastPos());
    } else if (cmd == "setmark") {
      const Int64 m = NumberAt(line, 9);
      if (ValidMark(m)) Marks[m] = InStream.Position();
    } else if (cmd == "moveto") {
      const Int64 m = NumberAt(line, 8);
      if (ValidMark(m)) run.SetPos(Marks[m]);
    } else if (cmd == "makeupper" || cmd == "makelower") {
      run.Identity();
      const int from = cmd == "makeupper" ? 'a' : 'A', to = cmd == "makeupper" ? 'A' : 'a';
      for (int c = 0; c < 26; ++c) run.Table[from + c] = static_cast<Byte>(to + c);
    } else if (cmd == "noconversion") {
      run.Identity();
    } else if (cmd == "loadconvtab") {
      // Scripts fold the name to lower case; on a case-sensitive file system the name as
      // written is tried first.
      const String name = From(line, 13);
      run.LoadTable(FileExists(name) ? name : LowerCase(name));
    } else if (cmd == "copyabs") {
      size_t pos = 9;
      const Int64 a = ReadNumber(line, pos), b = ReadNumber(line, pos);
      if (ValidMark(a) && ValidMark(b)) {
        run.SetPos(Marks[a]);
        run.Copy(Marks[b] - Marks[a] + 1);
        run.SetPos(Marks[b]);
      }
    } else if (cmd == "copyall") {
      InStream.SetPosition(0);
      run.Copy(run.Size());
      InStream.SetPosition(run.LastPos());
    } else if (cmd == "label") {
      const Int64 m = NumberAt(line, 7);
      if (ValidMark(m)) run.Labels[m] = lineIx;
    } else if (cmd == "loop") {
      size_t pos = 6;
      const Int64 m = ReadNumber(line, pos), k = ReadNumber(line, pos);
      if (ValidMark(m)) {
        ++run.Counters[m];
        const bool done = k != 0 && run.Counters[m] >= k;
        if (!done && InStream.Position() < run.Size() - 1) pc = run.Labels[m] + 1;
      }
    } else if (cmd == "iffound" || cmd == "ifnotfound") {
      if (run.Found != (cmd == "iffound")) {
        int depth = 1;
        while (pc < count && depth > 0) {
          const String skipped = LowerCase(StripLTBlanks(Script[pc++]));
          if (skipped.find("endif") != String::npos) --depth;
          if (depth == 0) break;
          if (skipped.find("iffound") != String::npos || skipped.find("ifnotfound") != String::npos)
            ++depth;
        }
      }
    } else if (cmd == "convertbyte") {
      size_t pos = 13;
      const Int64 a = ReadNumber(line, pos), b = ReadNumber(line, pos);
      if (a >= 0 && a <= 255 && b >= 0 && b <= 255) run.Table[a] = static_cast<Byte>(b);
    }
  }
  OutStream.SetPosition(0);
}
