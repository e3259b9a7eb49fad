#include "DOV_dstruct.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "DOV_streams.h"
#include "TextFile.h"

namespace {

struct CRCTables {
  Word crc16[256];
  Cardinal crc32[256];
  CRCTables() {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned c16 = i << 8;
      for (int b = 0; b < 8; ++b) c16 = (c16 & 0x8000u) ? ((c16 << 1) ^ 0x1021u) : (c16 << 1);
      crc16[i] = static_cast<Word>(c16 & 0xFFFFu);
      Cardinal c32 = i;
      for (int b = 0; b < 8; ++b) c32 = (c32 & 1u) ? ((c32 >> 1) ^ 0xEDB88320u) : (c32 >> 1);
      crc32[i] = c32;
    }
  }
};

const CRCTables& Tables() {
  static const CRCTables t;
  return t;
}

size_t ClampedLength(const TBytes& Buffer, Integer Length) {
  if (Length <= 0) return 0;
  return std::min(static_cast<size_t>(Length), Buffer.size());
}

// ---- SHA-1 ----
class SHA1 {
public:
  void Update(const Byte* Data, size_t Len) {
    FBits += static_cast<std::uint64_t>(Len) * 8;
    while (Len > 0) {
      const size_t n = std::min(Len, static_cast<size_t>(64) - FFill);
      std::memcpy(FBlock + FFill, Data, n);
      FFill += n;
      Data += n;
      Len -= n;
      if (FFill == 64) {
        Transform();
        FFill = 0;
      }
    }
  }
  TSHACode Final() {
    const std::uint64_t bits = FBits;
    const Byte pad80 = 0x80;
    Update(&pad80, 1);
    const Byte zero = 0;
    while (FFill != 56) Update(&zero, 1);
    Byte len[8];
    for (int i = 0; i < 8; ++i) len[i] = static_cast<Byte>(bits >> (56 - 8 * i));
    Update(len, 8);
    TSHACode out{};
    for (int i = 0; i < 5; ++i)
      for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<Byte>(FH[i] >> (24 - 8 * j));
    return out;
  }

private:
  static std::uint32_t Rol(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
  void Transform() {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i)
      w[i] = (std::uint32_t(FBlock[4 * i]) << 24) | (std::uint32_t(FBlock[4 * i + 1]) << 16) |
             (std::uint32_t(FBlock[4 * i + 2]) << 8) | std::uint32_t(FBlock[4 * i + 3]);
    for (int i = 16; i < 80; ++i) w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = FH[0], b = FH[1], c = FH[2], d = FH[3], e = FH[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d);
        k = 0x5A827999u;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1u;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8F1BBCDCu;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6u;
      }
      const std::uint32_t t = Rol(a, 5) + f + e + k + w[i];
      e = d;
      d = c;
      c = Rol(b, 30);
      b = a;
      a = t;
    }
    FH[0] += a;
    FH[1] += b;
    FH[2] += c;
    FH[3] += d;
    FH[4] += e;
  }
  std::uint32_t FH[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  Byte FBlock[64] = {};
  size_t FFill = 0;
  std::uint64_t FBits = 0;
};

// Reads one character for the ASCII85 decoder, skipping CR and LF; false at the end.
bool ReadA85Char(TStream& In, char& Ch) {
  for (;;) {
    if (In.Read(&Ch, 1) != 1) return false;
    if (Ch != '\r' && Ch != '\n') return true;
  }
}

bool NextPermutationLevel(TCombination& P, int n, int a) {
  if (a <= 1) return false;
  const Byte v = static_cast<Byte>(n - a + 1);
  int q = 0;
  for (int i = 1; i <= a; ++i)
    if (P[i] == v) {
      q = i;
      break;
    }
  if (q == 0) return false;  // not a permutation of 1 ... n
  if (q != a) {
    std::swap(P[q], P[q + 1]);
    return true;
  }
  if (!NextPermutationLevel(P, n, a - 1)) return false;
  for (int i = a; i >= 2; --i) P[i] = P[i - 1];
  P[1] = v;
  return true;
}

}  // namespace

Word CalcNextCRC16(Byte Data, Word CRC) {
  return static_cast<Word>(Tables().crc16[((CRC >> 8) ^ Data) & 0xFF] ^ (CRC << 8));
}

Word CRC16ofBuffer(const TBytes& Buffer, Integer Length, TCRC16Mode Mode) {
  Word crc = Mode == crcCCITT ? 0xFFFF : 0;
  const size_t n = ClampedLength(Buffer, Length);
  for (size_t i = 0; i < n; ++i) crc = CalcNextCRC16(Buffer[i], crc);
  return crc;
}

Cardinal CalcNextCRC32(Byte Data, Cardinal CRC) {
  return Tables().crc32[(CRC ^ Data) & 0xFF] ^ (CRC >> 8);
}

Cardinal CRC32ofBuffer(const TBytes& Buffer, Integer Length) {
  Cardinal crc = 0xFFFFFFFFu;
  const size_t n = ClampedLength(Buffer, Length);
  for (size_t i = 0; i < n; ++i) crc = CalcNextCRC32(Buffer[i], crc);
  return crc ^ 0xFFFFFFFFu;
}

Cardinal CalcCRC32ofFile(const String& FName) {
  Cardinal crc = 0xFFFFFFFFu;
  try {
    TBinaryFile f(FName);
    f.Reset(1, true);
    Byte buf[4096];
    for (;;) {
      const Int64 got = f.BlockRead(buf, sizeof buf);
      for (Int64 i = 0; i < got; ++i) crc = CalcNextCRC32(buf[i], crc);
      if (got < static_cast<Int64>(sizeof buf)) break;
    }
    f.CloseFile();
  } catch (const Exception&) {
    crc = 0xFFFFFFFFu;
  }
  return crc ^ 0xFFFFFFFFu;
}

void EncodeASCII85(TStream& InStream, TStream& OutStream) {
  for (;;) {
    Byte group[4] = {0, 0, 0, 0};
    const Int64 c = InStream.Read(group, 4);
    if (c <= 0) break;
    if (c == 4 && group[0] == 0 && group[1] == 0 && group[2] == 0 && group[3] == 0) {
      OutStream.WriteBuffer("z", 1);
    } else {
      std::uint32_t N = 0;
      for (Int64 i = 0; i < c; ++i) N = (N << 8) | group[i];
      char digits[5];
      for (Int64 i = c; i >= 0; --i) {
        digits[i] = static_cast<char>(N % 85 + 33);
        N /= 85;
      }
      OutStream.WriteBuffer(digits, c + 1);
    }
    if (c < 4) break;
  }
  OutStream.WriteBuffer("~>", 2);
}

Integer DecodeASCII85(TStream& InStream, TStream& OutStream) {
  Integer status = 0;
  bool done = false;
  while (!done) {
    char group[5];
    int m = 0;
    char ch;
    if (!ReadA85Char(InStream, ch)) break;
    if (ch == 'z') {
      const Byte zeros[4] = {0, 0, 0, 0};
      OutStream.WriteBuffer(zeros, 4);
      continue;
    }
    if (ch == '~') break;
    group[m++] = ch;
    while (m < 5) {
      if (!ReadA85Char(InStream, ch)) {
        // The input ended inside a group without the end mark: decode what is there.
        done = true;
        break;
      }
      if (ch == '~') {
        done = true;
        break;
      }
      group[m++] = ch;
    }
    std::uint64_t N = 0;
    for (int i = 0; i < m; ++i) {
      const char g = group[i];
      if (g == 'z')
        status = -2;
      else if (g < '!' || g > 'u')
        status = -1;
      const int v = static_cast<Byte>(g) - 33;
      N = N * 85 + static_cast<std::uint64_t>(v);
    }
    // A group beyond 32 bits cannot come from the encoder.
    if (N > 0xFFFFFFFFull) status = -1;
    Byte out[4];
    const int nbytes = m - 1;
    for (int i = 0; i < nbytes; ++i) out[i] = static_cast<Byte>(N >> (8 * (nbytes - 1 - i)));
    if (nbytes > 0) OutStream.WriteBuffer(out, nbytes);
  }
  return status;
}

TSHACode SHA1FromString(const String& S) {
  // The text's stream form, so that the digest equals that of a stream it was written to.
  const std::string bytes = LowBytesOfString(S);
  SHA1 h;
  h.Update(reinterpret_cast<const Byte*>(bytes.data()), bytes.size());
  return h.Final();
}

TSHACode SHA1FromStream(TStream& Stream) {
  SHA1 h;
  Byte buf[1024];
  for (;;) {
    const Int64 got = Stream.Read(buf, sizeof buf);
    if (got <= 0) break;
    h.Update(buf, static_cast<size_t>(got));
  }
  return h.Final();
}

TSHACode SHA1FromFile(const String& FName) {
  TFileStream fs(FName, fmOpenRead | fmShareDenyWrite);
  return SHA1FromStream(fs);
}

String SHA1DigestToHex(const TSHACode& Digest) {
  static const char hex[] = "0123456789ABCDEF";
  String s;
  s.reserve(40);
  for (Byte b : Digest) {
    s += hex[b >> 4];
    s += hex[b & 15];
  }
  return s;
}

bool NextCombination(TCombination& Comb, Integer n) {
  const int k = Comb[0];
  if (k < 1 || n < k || n > 255) return false;
  int p = k;
  while (p >= 1 && Comb[p] >= n - k + p) --p;
  if (p < 1) return false;
  ++Comb[p];
  for (int i = p + 1; i <= k; ++i) Comb[i] = static_cast<Byte>(Comb[i - 1] + 1);
  return true;
}

bool NextPermutation(TCombination& Perm) {
  const int n = Perm[0];
  if (n < 1) return false;
  return NextPermutationLevel(Perm, n, n);
}

Integer IndexOfNearestArrayValue(Double x, const TDoubleArray& Data) {
  Integer best = -1;
  Double bestDist = static_cast<Double>(uc_MaxDouble);
  for (size_t i = 0; i < Data.size(); ++i) {
    const Double d = std::fabs(Data[i] - x);
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<Integer>(i);
    }
  }
  return best;
}

Integer IndexOfNearestArrayValue(Integer x, const TIntArray& Data) {
  Integer best = -1;
  Double bestDist = static_cast<Double>(uc_MaxDouble);
  for (size_t i = 0; i < Data.size(); ++i) {
    // 64-bit difference: distant 32-bit values would overflow.
    const Int64 diff = static_cast<Int64>(Data[i]) - static_cast<Int64>(x);
    const Double d = static_cast<Double>(diff < 0 ? -diff : diff);
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<Integer>(i);
    }
  }
  return best;
}
