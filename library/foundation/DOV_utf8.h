#pragma once
// UTF-8 decoding and encoding shared by the string and stream units. A byte that does not
// start a valid sequence stands for itself (as its Latin-1 character), so any byte string
// survives a round trip and no input is ever lost.

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

}  // namespace utf8
