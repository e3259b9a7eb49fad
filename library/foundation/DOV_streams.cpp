#include "DOV_streams.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cstdlib>
#include <cstring>

#include "DOV_utf8.h"
#include "SysUtils.h"

static_assert(std::endian::native == std::endian::little,
              "the stream layouts are little-endian and copied as they are in memory");
static_assert(LDBL_MANT_DIG == 64, "extended values need the x87 80-bit format");

namespace {

constexpr Byte kCR = 13;
constexpr Byte kLF = 10;
constexpr size_t kWriteBlock = 4096;
constexpr size_t kExtendedBytes = 10;
constexpr size_t kMaxReadBlock = 65536;

using utf8::NextChar;

// First occurrence of Needle (already lower case) in Hay at or after From, ignoring ASCII
// case; npos when none.
size_t FindNoCase(const std::string& Hay, const std::string& Needle, size_t From) {
  if (Needle.empty() || Hay.size() < Needle.size()) return std::string::npos;
  const size_t last = Hay.size() - Needle.size();
  for (size_t i = From; i <= last; ++i) {
    size_t k = 0;
    while (k < Needle.size() && LowerCaseChar(Hay[i + k]) == Needle[k]) ++k;
    if (k == Needle.size()) return i;
  }
  return std::string::npos;
}

std::string LowerAscii(std::string s) {
  for (char& c : s) c = LowerCaseChar(c);
  return s;
}

// Reads exactly n bytes; false on a short read or any exception of the stream.
bool ReadExact(TStream& Stream, void* Buffer, size_t n) {
  try {
    return Stream.Read(Buffer, static_cast<Int64>(n)) == static_cast<Int64>(n);
  } catch (const std::exception&) {
    return false;
  }
}

template <typename T>
T ReadItem(TStream& Stream, bool& Error) {
  T v{};
  Error = !ReadExact(Stream, &v, sizeof v);
  return Error ? T{} : v;
}

bool LineEnded(Integer Mode, Byte b, Byte prev, bool hasPrev) {
  switch (Mode) {
    case 0: return b == kLF;
    case 1: return b == kCR;
    case 2: return b == kCR || b == kLF;
    case 3: return b == kCR && hasPrev && prev == kLF;
    case 4: return b == kLF && hasPrev && prev == kCR;
    default: return false;
  }
}

// ---- the floating-point scanner -------------------------------------------------------------

enum TFPState {
  fpStart = 1,
  fpAfterSign,
  fpInteger,
  fpAfterSep,
  fpFraction,
  fpAfterE,
  fpExpSign,
  fpExponent,
  fpEnd,
  fpError
};

enum TFPClass { fcSep, fcDigit, fcSign, fcExp, fcWhite, fcOther };

// Exponent digits whose value passes this are not taken into the number text: the text stays
// inside the 80-bit range, and the result is clamped anyway.
constexpr unsigned kMaxExponentValue = 4200;

TFPClass ClassifyFP(char ch, TDecPSep DecPSep) {
  if ((ch == '.' && (DecPSep == dsDot || DecPSep == dsBoth)) ||
      (ch == ',' && (DecPSep == dsComma || DecPSep == dsBoth)))
    return fcSep;
  if (ch >= '0' && ch <= '9') return fcDigit;
  if (ch == '+' || ch == '-') return fcSign;
  if (ch == 'E') return fcExp;
  if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') return fcWhite;
  return fcOther;
}

TFPState NextFPState(TFPState st, TFPClass c, bool AllowExp) {
  const TFPState afterE = AllowExp ? fpAfterE : fpEnd;
  switch (st) {
    case fpStart:
      switch (c) {
        case fcSep: return fpAfterSep;
        case fcDigit: return fpInteger;
        case fcSign: return fpAfterSign;
        case fcWhite: return fpStart;
        default: return fpError;
      }
    case fpAfterSign: return c == fcSep ? fpAfterSep : c == fcDigit ? fpInteger : fpError;
    case fpInteger:
      return c == fcSep ? fpAfterSep : c == fcDigit ? fpInteger : c == fcExp ? afterE : fpEnd;
    case fpAfterSep:
    case fpFraction:
      return c == fcSep ? fpError : c == fcDigit ? fpFraction : c == fcExp ? afterE : fpEnd;
    case fpAfterE: return c == fcDigit ? fpExponent : c == fcSign ? fpExpSign : fpError;
    case fpExpSign: return c == fcDigit ? fpExponent : fpError;
    case fpExponent: return c == fcDigit ? fpExponent : fpEnd;
    default: return fpError;
  }
}

}  // namespace

// ---- low bytes -----------------------------------------------------------------------------

std::string LowBytesOfString(const String& S) {
  std::string out;
  out.reserve(S.size());
  size_t i = 0;
  while (i < S.size()) out.push_back(static_cast<char>(NextChar(S, i) & 0xFF));
  return out;
}

String StringOfLowBytes(const char* Bytes, size_t Count) {
  String out;
  out.reserve(Count);
  for (size_t i = 0; i < Count; ++i) {
    const auto b = static_cast<unsigned char>(Bytes[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

// ---- byte reader ---------------------------------------------------------------------------

TStreamByteReader::~TStreamByteReader() {
  try {
    Release();
  } catch (const std::exception&) {
    // The stream could not seek back; nothing sensible is left to do in a destructor.
  }
}

bool TStreamByteReader::Fill() {
  if (FBuf.size() < FBlock) FBuf.resize(FBlock);
  const Int64 got = FStream.Read(FBuf.data(), static_cast<Int64>(FBlock));
  FPos = 0;
  FLen = got > 0 ? static_cast<size_t>(got) : 0;
  // Short texts cost little to read back; long ones get big blocks.
  if (FBlock < kMaxReadBlock) FBlock *= 2;
  return FLen > 0;
}

void TStreamByteReader::Release() {
  const size_t unread = FLen - FPos;
  FPos = FLen = 0;
  if (unread > 0) FStream.Seek(-static_cast<Int64>(unread), soFromCurrent);
}

// ---- binary items --------------------------------------------------------------------------

void WriteStringStream(TStream& Stream, const String& S) {
  const std::string bytes = LowBytesOfString(S);
  for (size_t i = 0; i < bytes.size(); i += kWriteBlock)
    Stream.WriteBuffer(bytes.data() + i,
                       static_cast<Int64>(std::min(kWriteBlock, bytes.size() - i)));
}

void WriteLnStream(TStream& Stream, const String& S) {
  WriteStringStream(Stream, S);
  const char crlf[2] = {'\r', '\n'};
  Stream.WriteBuffer(crlf, 2);
}

void WriteExtendedToStream(TStream& Stream, Extended x) {
  Byte b[sizeof(Extended)] = {};
  std::memcpy(b, &x, sizeof x);
  Stream.WriteBuffer(b, kExtendedBytes);  // the padding of the in-memory form stays behind
}

void WriteDoubleToStream(TStream& Stream, Double x) { Stream.WriteBuffer(&x, sizeof x); }
void WriteSingleToStream(TStream& Stream, Single x) { Stream.WriteBuffer(&x, sizeof x); }
void WriteLongintToStream(TStream& Stream, Integer n) { Stream.WriteBuffer(&n, sizeof n); }

Extended ReadExtendedFromStream(TStream& Stream, bool& Error) {
  Byte b[sizeof(Extended)] = {};
  Error = !ReadExact(Stream, b, kExtendedBytes);
  if (Error) return 0;
  Extended x;
  std::memcpy(&x, b, sizeof x);
  return x;
}

Double ReadDoubleFromStream(TStream& Stream, bool& Error) {
  return ReadItem<Double>(Stream, Error);
}
Single ReadSingleFromStream(TStream& Stream, bool& Error) {
  return ReadItem<Single>(Stream, Error);
}
Integer ReadLongintFromStream(TStream& Stream, bool& Error) {
  return ReadItem<Integer>(Stream, Error);
}

// ---- text ----------------------------------------------------------------------------------

String ReadLnStream(TStream& Stream, bool& EndOfStream, Integer Mode) {
  EndOfStream = false;
  std::string line;
  TStreamByteReader in(Stream);
  Byte b;
  for (;;) {
    if (!in.Next(b)) {
      EndOfStream = true;
      return StringOfLowBytes(line);
    }
    const bool hasPrev = !line.empty();
    const Byte prev = hasPrev ? static_cast<Byte>(line.back()) : 0;
    line.push_back(static_cast<char>(b));
    if (LineEnded(Mode, b, prev, hasPrev)) break;
  }
  in.Release();
  for (int k = 0; k < 2 && !line.empty() && (line.back() == '\r' || line.back() == '\n'); ++k)
    line.pop_back();
  return StringOfLowBytes(line);
}

bool FindInStream(TStream& Stream, Byte b) {
  TStreamByteReader in(Stream);
  Byte c;
  while (in.Next(c))
    if (c == b) return true;
  return false;
}

String StreamAsString(TStream& Stream) {
  std::string bytes;
  char buf[kWriteBlock];
  for (;;) {
    const Int64 got = Stream.Read(buf, sizeof buf);
    if (got <= 0) break;
    bytes.append(buf, static_cast<size_t>(got));
  }
  return StringOfLowBytes(bytes);
}

String ReadStreamUntil(TStream& Stream, const String& Delimiter, Integer& Found) {
  constexpr size_t kBlock = 256;
  Found = -1;
  const std::string needle = LowerAscii(LowBytesOfString(Delimiter));
  std::string text;
  char buf[kBlock];
  for (;;) {
    const Int64 got = Stream.Read(buf, kBlock);
    const size_t before = text.size();
    if (got > 0) text.append(buf, static_cast<size_t>(got));
    // A new occurrence must end in the block just read.
    const size_t from = before >= needle.size() ? before - needle.size() + 1 : 0;
    const size_t at = FindNoCase(text, needle, from);
    if (at != std::string::npos) {
      const size_t cut = at + needle.size();
      Stream.Seek(-static_cast<Int64>(text.size() - cut), soFromCurrent);
      text.resize(cut);
      Found = 0;
      break;
    }
    if (got < static_cast<Int64>(kBlock)) break;
  }
  return StringOfLowBytes(text);
}

Int64 CountLinesInStream(TStream& Stream) {
  Int64 n = 0;
  std::vector<char> buf(kMaxReadBlock);
  for (;;) {
    const Int64 got = Stream.Read(buf.data(), static_cast<Int64>(buf.size()));
    if (got <= 0) break;
    for (Int64 i = 0; i < got; ++i) n += buf[static_cast<size_t>(i)] == '\n';
  }
  return n;
}

Integer ScanStreamDecimal(TStream& Stream) {
  TStreamByteReader in(Stream);
  Byte b = 0;
  bool have = in.Next(b);
  while (have && (b == ' ' || b == kCR || b == kLF)) have = in.Next(b);
  bool negative = false;
  if (have && (b == '+' || b == '-')) {
    negative = b == '-';
    have = in.Next(b);
  }
  // Unsigned, so that the 32-bit wrap-around is defined.
  uint32_t value = 0;
  while (have && b >= '0' && b <= '9') {
    value = 10u * value + static_cast<uint32_t>(b - '0');
    have = in.Next(b);
  }
  if (negative) value = 0u - value;
  return static_cast<Integer>(value);
}

Double ScanStreamFPNum(TStream& Stream, bool AllowExp, TDecPSep DecPSep) {
  TStreamByteReader in(Stream);
  std::string text;
  unsigned expValue = 0;
  TFPState st = fpStart;
  while (st != fpEnd && st != fpError) {
    Byte b;
    // The end of the stream reads as a letter that no state accepts.
    const char ch = in.Next(b) ? UpperCaseChar(static_cast<char>(b)) : 'Z';
    const TFPClass c = ClassifyFP(ch, DecPSep);
    const TFPState next = NextFPState(st, c, AllowExp);
    if (next != fpEnd && next != fpError && c != fcWhite) {
      if (next == fpExponent && c == fcDigit) {
        expValue = std::min(10 * expValue + static_cast<unsigned>(ch - '0'), kMaxExponentValue + 1);
        if (expValue <= kMaxExponentValue) text.push_back(ch);
      } else {
        text.push_back(ch == ',' ? '.' : ch);
      }
    }
    st = next;
  }
  if (st == fpError) return 0;
  if (!text.empty() && text.back() == '.') text.push_back('0');
  const Double v = NearestDoubleOfText(text.c_str());
  const Double limit = uc_MaxDouble;
  return v > limit ? limit : v < -limit ? -limit : v;
}
