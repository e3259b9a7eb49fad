#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "Classes.h"
#include "DOV_dstruct.h"
#include "DOV_streams.h"
#include "TestSupport.h"

namespace {

TBytes Bytes(const std::string& s) { return TBytes(s.begin(), s.end()); }

std::string Encode85(const std::string& in) {
  TStringStream src(in), dst;
  EncodeASCII85(src, dst);
  return dst.DataString();
}

std::string Decode85(const std::string& in, Integer* status = nullptr) {
  TStringStream src(in), dst;
  const Integer st = DecodeASCII85(src, dst);
  if (status != nullptr) *status = st;
  return dst.DataString();
}

}  // namespace

TEST(CRC, CatalogueCheckValues) {
  const TBytes check = Bytes("123456789");
  EXPECT_EQ(CRC32ofBuffer(check, 9), 0xCBF43926u);
  EXPECT_EQ(CRC16ofBuffer(check, 9, crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(check, 9, crcCCITT), 0x29B1);
  // Only the first Length bytes count.
  EXPECT_EQ(CRC32ofBuffer(Bytes("123456789xyz"), 9), 0xCBF43926u);
}

TEST(CRC, EmptyBuffersGiveTheStartValues) {
  const TBytes none;
  EXPECT_EQ(CRC32ofBuffer(none, 0), 0u);
  EXPECT_EQ(CRC16ofBuffer(none, 0, crcZModem), 0);
  EXPECT_EQ(CRC16ofBuffer(none, 0, crcCCITT), 0xFFFF);
  // A length beyond the buffer is cut to the buffer, never read past it.
  EXPECT_EQ(CRC32ofBuffer(Bytes("123456789"), 1000), 0xCBF43926u);
}

TEST(CRC, StepHasNoInversionOfItsOwn) {
  // The lane digests start and end with values of their own around the bare step.
  Cardinal crc = 0xFFFFFFFFu;
  for (Byte b : Bytes("123456789")) crc = CalcNextCRC32(b, crc);
  EXPECT_EQ(crc, ~0xCBF43926u);
  EXPECT_EQ(CalcNextCRC32(0, 0), 0u);
  EXPECT_EQ(CalcNextCRC32(1, 0), 0x77073096u);
  EXPECT_EQ(CalcNextCRC16(1, 0), 0x1021);
}

TEST(CRC, OfFileMatchesTheBufferAndIsZeroWhenUnreadable) {
  testsupport::TempDir dir;
  std::string data;
  for (int i = 0; i < 10000; ++i) data += static_cast<char>(i * 7 + 3);  // several blocks
  dir.write("data.bin", data);
  EXPECT_EQ(CalcCRC32ofFile("data.bin"), CRC32ofBuffer(Bytes(data), Integer(data.size())));
  dir.write("empty.bin", "");
  EXPECT_EQ(CalcCRC32ofFile("empty.bin"), 0u);
  EXPECT_EQ(CalcCRC32ofFile("missing.bin"), 0u);
}

TEST(ASCII85, EncodesGroupsAndTheShortLastGroup) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"", "~>"},
      {std::string(4, '\0'), "z~>"},
      {"A", "!b~>"},        // one byte: digits 0 and 65, not padded
      {"Man ", "9jqo^~>"},  // a full group as in the standard
      {"Man sure", "9jqo^F*2M7~>"},
      {std::string("\0\0\0\0x", 5), "z\"D~>"},  // 120 = 1 * 85 + 35
      {std::string("\0\0\0", 3), "!!!!~>"},     // only a full zero group becomes "z"
  };
  for (const Case& c : cases) EXPECT_EQ(Encode85(c.in), c.out) << c.out;
}

TEST(ASCII85, RoundTripsAnyBytes) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (size_t len = 0; len <= 13; ++len) {
    const std::string in = all.substr(100, len);
    Integer st = 99;
    EXPECT_EQ(Decode85(Encode85(in), &st), in) << len;
    EXPECT_EQ(st, 0);
  }
  EXPECT_EQ(Decode85(Encode85(all)), all);
  EXPECT_EQ(Decode85(Encode85(std::string(12, '\0'))), std::string(12, '\0'));
}

TEST(ASCII85, DecoderSkipsLineBreaksAndStopsAtTheEndMark) {
  EXPECT_EQ(Decode85("9j\r\nqo^~>"), "Man ");
  EXPECT_EQ(Decode85("!b~>9jqo^"), "A");          // nothing after the end mark
  EXPECT_EQ(Decode85("9jqo^!b~9jqo^"), "Man A");  // "~" inside a group ends it
  EXPECT_EQ(Decode85("!b"), "A");                 // a short last group without the end mark
}

TEST(ASCII85, DecoderReportsBadCharactersAndStillDecodes) {
  Integer st = 0;
  Decode85("9jq{^~>", &st);
  EXPECT_EQ(st, -1);
  Decode85("9jzo^~>", &st);
  EXPECT_EQ(st, -2);
  Decode85("uuuuu~>", &st);  // beyond 32 bits
  EXPECT_EQ(st, -1);
  EXPECT_EQ(Decode85("s8W-!~>", &st), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(st, 0);
}

TEST(SHA1, StandardVectors) {
  struct Case {
    std::string in, hex;
  };
  const Case cases[] = {
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
      // A text and the stream it was written to agree: one byte per character.
      {"Gr\xC3\xBC\xC3\x9F"
       "e",
       "1F3EA6CE55AC8C52EA8DF83B95506FED6998C0DF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SHA1DigestToHex(SHA1FromString(c.in)), c.hex);
    TMemoryStream s;
    WriteStringStream(s, c.in);
    s.SetPosition(0);
    EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(s)), c.hex);
  }
}

TEST(SHA1, StreamFromItsPositionAndFiles) {
  TStringStream s("xxabc");
  s.SetPosition(2);
  EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(s)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  testsupport::TempDir dir;
  dir.write("abc.txt", "abc");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromFile("abc.txt")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_THROW(SHA1FromFile("missing.txt"), EFOpenError);
  // "ä" is the byte E4, a lone byte C3 stands for itself: the two stay apart.
  EXPECT_NE(SHA1FromString("\xC3\xA4"), SHA1FromString("\xC3"));
}

TEST(Combinatorics, CombinationsInLexicographicOrder) {
  TCombination c{};
  c[0] = 2;
  c[1] = 1;
  c[2] = 2;
  std::vector<std::string> seen;
  while (NextCombination(c, 4)) seen.push_back(std::to_string(c[1]) + std::to_string(c[2]));
  EXPECT_EQ(seen, (std::vector<std::string>{"13", "14", "23", "24", "34"}));
  EXPECT_EQ(c[1], 3);  // unchanged after the last one
  EXPECT_EQ(c[2], 4);

  // Outside 1 <= k <= n <= 255 there is no next combination, and nothing changes.
  TCombination bad{};
  bad[0] = 3;
  bad[1] = 1;
  bad[2] = 2;
  bad[3] = 3;
  const TCombination before = bad;
  EXPECT_FALSE(NextCombination(bad, 2));
  EXPECT_FALSE(NextCombination(bad, 300));
  EXPECT_EQ(bad, before);

  TCombination d{};
  d[0] = 3;
  for (int i = 1; i <= 3; ++i) d[i] = static_cast<Byte>(i);
  int count = 1;
  while (NextCombination(d, 7)) ++count;
  EXPECT_EQ(count, 35);
}

TEST(Combinatorics, PermutationsInTheirOwnOrder) {
  TCombination p{};
  p[0] = 3;
  p[1] = 1;
  p[2] = 2;
  p[3] = 3;
  std::vector<std::string> seen{"123"};
  while (NextPermutation(p))
    seen.push_back(std::to_string(p[1]) + std::to_string(p[2]) + std::to_string(p[3]));
  EXPECT_EQ(seen, (std::vector<std::string>{"123", "213", "231", "132", "312", "321"}));
  EXPECT_EQ(p[1], 3);
  EXPECT_EQ(p[2], 2);
  EXPECT_EQ(p[3], 1);

  TCombination one{};
  one[0] = 1;
  one[1] = 1;
  EXPECT_FALSE(NextPermutation(one));
  EXPECT_EQ(one[1], 1);

  for (int n = 1; n <= 6; ++n) {
    TCombination q{};
    q[0] = static_cast<Byte>(n);
    for (int i = 1; i <= n; ++i) q[i] = static_cast<Byte>(i);
    std::set<std::vector<Byte>> distinct{std::vector<Byte>(q.begin() + 1, q.begin() + n + 1)};
    int count = 1;
    while (NextPermutation(q)) {
      ++count;
      distinct.insert(std::vector<Byte>(q.begin() + 1, q.begin() + n + 1));
    }
    int fact = 1;
    for (int i = 2; i <= n; ++i) fact *= i;
    EXPECT_EQ(count, fact) << n;
    EXPECT_EQ(static_cast<int>(distinct.size()), fact) << n;
  }
}

TEST(NearestValue, KeepsTheEarlierOnTies) {
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, TDoubleArray{1, 2, 3}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(2.9, TDoubleArray{1, 2, 3}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(2.0, TDoubleArray{}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(Integer(5), TIntArray{9, 1, 4, 6}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(Integer(5), TIntArray{}), -1);
  // Distant values must not overflow the difference.
  EXPECT_EQ(IndexOfNearestArrayValue(Integer(2147483647), TIntArray{-2147483647 - 1, 0}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(Integer(-2147483647 - 1), TIntArray{2147483647, 5}), 1);
}
