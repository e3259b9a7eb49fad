#include "DOV_utf8.h"

namespace utf8 {

char32_t NextChar(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto cont = [&](size_t k) -> int {
    if (i + k >= s.size()) return -1;
    const auto b = static_cast<unsigned char>(s[i + k]);
    return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
  };
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    const int c1 = cont(1);
    if (c1 >= 0) {
      i += 2;
      return static_cast<char32_t>(((b0 & 0x1F) << 6) | c1);
    }
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1;
    if (c2 >= 0) {
      const char32_t cp = static_cast<char32_t>(((b0 & 0x0F) << 12) | (c1 << 6) | c2);
      if (cp >= 0x800) {
        i += 3;
        return cp;
      }
    }
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1, c3 = c2 >= 0 ? cont(3) : -1;
    if (c3 >= 0) {
      const char32_t cp = static_cast<char32_t>(((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3);
      if (cp >= 0x10000 && cp <= 0x10FFFF) {
        i += 4;
        return cp;
      }
    }
  }
  ++i;
  return b0;
}

void AppendChar(String& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) NextChar(s, i);
  return n;
}

size_t BytesOfChars(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t k = 0; k < n && i < s.size(); ++k) NextChar(s, i);
  return i;
}

String CutBytes(const String& s, size_t MaxBytes) {
  if (s.size() <= MaxBytes) return s;
  size_t n = MaxBytes;
  // Step back while the byte behind the cut continues a character.
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

std::u16string ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp = NextChar(s, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

}  // namespace utf8
