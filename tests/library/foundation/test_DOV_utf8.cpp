// The shared UTF-8 helpers: cutting to a byte budget without splitting a character, and the
// UTF-16 code units of a text.

#include <gtest/gtest.h>

#include "DOV_utf8.h"

TEST(Utf8CutBytes, NeverLeavesPartOfACharacter) {
  struct Case {
    const char* in;
    size_t max;
    const char* want;
  };
  const Case cases[] = {
      {"abc", 3, "abc"},                                // fits
      {"abcd", 3, "abc"},                               // ASCII cut
      {"ab\xC3\xA4", 3, "ab"},                          // the cut falls inside a two-byte character
      {"ab\xC3\xA4z", 4, "ab\xC3\xA4"},                 // the cut falls right after it
      {"\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC"},  // inside the second three-byte one
      {"\xF0\x9F\x98\x80", 2, ""},                      // nothing of a four-byte one is left
      {"", 0, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(utf8::CutBytes(c.in, c.max), c.want) << c.in << " " << c.max;
}

TEST(Utf8ToUtf16, UnitsWithSurrogatePairsAndStrayBytes) {
  struct Case {
    const char* in;
    std::u16string want;
  };
  const Case cases[] = {
      {"Az", u"Az"},
      {"\xC3\xA4\xE2\x82\xAC", u"\u00E4\u20AC"},
      {"\xF0\x9F\x98\x80!", u"\xD83D\xDE00!"},  // above U+FFFF: a surrogate pair
      {"a\xFF"
       "b",
       u"a\u00FFb"},        // a byte that starts nothing stands for itself
      {"\xC3", u"\u00C3"},  // a sequence cut short at the end
      {"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8::ToUtf16(c.in), c.want) << c.in;
}
