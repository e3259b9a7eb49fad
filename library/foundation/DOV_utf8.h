#pragma once
// UTF-8 decoding and encoding shared by the string and stream units. A byte that does not
// start a valid sequence stands for itself (as its Latin-1 character), so any byte string
// survives a round trip and no input is ever lost.

#include <string>
#include <string_view>

#include "System.h"

namespace utf8 {

// Decodes the character at byte index i and advances i past it.
char32_t NextChar(std::string_view s, size_t& i);

// Appends cp to out as UTF-8.
void AppendChar(String& out, char32_t cp);

// The number of characters of s, each as NextChar steps over it.
size_t CharCount(std::string_view s);

// The bytes the first n characters of s take (all of s when it has fewer).
size_t BytesOfChars(std::string_view s, size_t n);

// s cut to at most MaxBytes bytes, never leaving part of a multi-byte sequence behind: a cut
// inside one drops the whole sequence.
String CutBytes(const String& s, size_t MaxBytes);

// s as UTF-16 code units, characters above U+FFFF as surrogate pairs, each character as
// NextChar decodes it (a byte that starts no valid sequence is one unit of its own value).
std::u16string ToUtf16(std::string_view s);

}  // namespace utf8
