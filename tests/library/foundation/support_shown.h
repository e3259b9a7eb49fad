#pragma once
// Readable test names for table cases that hold raw bytes.

#include <string>

#include "SysUtils.h"

namespace foundationtest {

// S as it is, bytes above 127 as hexadecimal ("\xE9").
inline std::string Shown(const char* s) {
  std::string out;
  for (const char* p = s; *p != '\0'; ++p) {
    const auto b = static_cast<unsigned char>(*p);
    out += b < 128 ? std::string(1, *p) : "\\x" + IntToHex(b, 2);
  }
  return out;
}

}  // namespace foundationtest
