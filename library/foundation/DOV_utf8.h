#pragma once
// UTF-8 decoding and encoding shared by the string and stream units. A byte that does not
// start a valid sequence stands for itself (as its Latin-1 character), so any byte string
// survives a round trip and no input is ever lost.

#include "System.h"

namespace utf8 {

// Decodes the character at byte index i and advances i past it.
char32_t NextChar(const String& s, size_t& i);

// Appends cp to out as UTF-8.
void AppendChar(String& out, char32_t cp);

// Number of characters (code points) in s, as NextChar steps through it.
size_t CharCount(const String& s);

}  // namespace utf8
