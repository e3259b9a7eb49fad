// Integers, text helpers and files.

#include "SysUtils.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

TFormatSettings FormatSettings;

// ---- integers --------------------------------------------------------------------------------
String IntToStr(Int64 Value) { return std::to_string(Value); }

String IntToHexBits(std::uint64_t Value, int Digits) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, Value, 16);
  String s(buf, r.ptr);
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (Digits > 32) Digits = 32;
  if (static_cast<int>(s.size()) < Digits) s.insert(0, static_cast<size_t>(Digits) - s.size(), '0');
  return s;
}

namespace {

// Decimal or hexadecimal ("$", "0x") integer text within [lo, hi]. Hexadecimal digits may fill
// the whole unsigned width of the type, as the platform allows ("$FFFFFFFF" is -1 as Integer).
bool ParseInt(const String& S, Int64 lo, Int64 hi, unsigned bits, Int64& out) {
  size_t i = 0, n = S.size();
  while (i < n && (S[i] == ' ' || S[i] == '\t')) ++i;
  bool neg = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) {
    neg = S[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && S[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t mag = 0;
  auto r = std::from_chars(S.data() + i, S.data() + n, mag, base);
  if (r.ec != std::errc() || r.ptr != S.data() + n) return false;
  if (base == 16) {
    if (bits < 64 && mag > ((std::uint64_t{1} << bits) - 1)) return false;
    Int64 v;
    if (bits == 32)
      v = static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(mag)));
    else
      v = static_cast<Int64>(mag);
    // Negated in unsigned arithmetic: "-$8000000000000000" must not overflow.
    out = neg ? static_cast<Int64>(std::uint64_t{0} - static_cast<std::uint64_t>(v)) : v;
    return true;
  }
  if (neg) {
    if (mag > static_cast<std::uint64_t>(hi) + 1 || (lo == 0 && mag > 0)) return false;
    out = mag == static_cast<std::uint64_t>(hi) + 1 ? lo : -static_cast<Int64>(mag);
    return true;
  }
  if (mag > static_cast<std::uint64_t>(hi)) return false;
  out = static_cast<Int64>(mag);
  return true;
}

[[noreturn]] void IntError(const String& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(const String& S, Integer& Value) {
  Int64 v;
  if (!ParseInt(S, INT32_MIN, INT32_MAX, 32, v)) return false;
  Value = static_cast<Integer>(v);
  return true;
}

bool TryStrToInt64(const String& S, Int64& Value) {
  return ParseInt(S, INT64_MIN, INT64_MAX, 64, Value);
}

Integer StrToInt(const String& S) {
  Integer v;
  if (!TryStrToInt(S, v)) IntError(S);
  return v;
}

Int64 StrToInt64(const String& S) {
  Int64 v;
  if (!TryStrToInt64(S, v)) IntError(S);
  return v;
}

Integer StrToIntDef(const String& S, Integer Default) {
  Integer v;
  return TryStrToInt(S, v) ? v : Default;
}

Int64 StrToInt64Def(const String& S, Int64 Default) {
  Int64 v;
  return TryStrToInt64(S, v) ? v : Default;
}

// ---- rounding --------------------------------------------------------------------------------
namespace {
Int64 ToInt64(long double v, const char* what) {
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!(v > -9223372036854775809.0L && v < 9223372036854775808.0L))
    throw EInvalidOp(String("Invalid floating point operation (") + what + ")");
  return static_cast<Int64>(v);
}
}  // namespace

Int64 Round(Extended X) { return ToInt64(std::nearbyint(X), "Round"); }
Int64 Trunc(Extended X) { return ToInt64(std::trunc(X), "Trunc"); }
Extended Frac(Extended X) { return X - std::trunc(X); }
Extended Int(Extended X) { return std::trunc(X); }

// ---- text helpers ----------------------------------------------------------------------------
String TrimLeft(const String& S) {
  size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  return S.substr(i);
}

String TrimRight(const String& S) {
  size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

String Trim(const String& S) { return TrimRight(TrimLeft(S)); }

String UpperCase(const String& S) {
  String r = S;
  for (auto& c : r) c = UpperCaseChar(c);
  return r;
}

String LowerCase(const String& S) {
  String r = S;
  for (auto& c : r) c = LowerCaseChar(c);
  return r;
}

int CompareText(const String& A, const String& B) {
  size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const auto a = static_cast<unsigned char>(UpperCaseChar(A[i]));
    const auto b = static_cast<unsigned char>(UpperCaseChar(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

bool SameText(const String& A, const String& B) {
  return A.size() == B.size() && CompareText(A, B) == 0;
}

int CompareStr(const String& A, const String& B) {
  int c = A.compare(B);  // std::string compares as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int Pos(const String& SubStr, const String& S) { return PosEx(SubStr, S, 1); }

int PosEx(const String& SubStr, const String& S, int Offset) {
  if (SubStr.empty() || Offset < 1 || Offset > static_cast<int>(S.size())) return 0;
  size_t p = S.find(SubStr, static_cast<size_t>(Offset - 1));
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

String Copy(const String& S, int Index, int Count) {
  if (Index < 1) Index = 1;
  if (Count <= 0 || Index > static_cast<int>(S.size())) return String();
  return S.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}

void Delete(String& S, int Index, int Count) {
  if (Index < 1 || Index > static_cast<int>(S.size()) || Count <= 0) return;
  S.erase(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}

void Insert(const String& Source, String& S, int Index) {
  if (Index < 1) Index = 1;
  if (Index > static_cast<int>(S.size()) + 1) Index = static_cast<int>(S.size()) + 1;
  S.insert(static_cast<size_t>(Index - 1), Source);
}

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const bool all = (Flags & rfReplaceAll) != 0;
  const bool icase = (Flags & rfIgnoreCase) != 0;
  const String hay = icase ? UpperCase(S) : S;
  const String needle = icase ? UpperCase(OldPattern) : OldPattern;
  String out;
  size_t from = 0;
  while (true) {
    size_t p = hay.find(needle, from);
    if (p == String::npos) break;
    out.append(S, from, p - from);
    out += NewPattern;
    from = p + needle.size();
    if (!all) break;
  }
  out.append(S, from, String::npos);
  return out;
}

String StringOfChar(char Ch, int Count) {
  return Count > 0 ? String(static_cast<size_t>(Count), Ch) : String();
}

String QuotedStr(const String& S) {
  String r = "'";
  for (char c : S) {
    if (c == '\'') r += '\'';
    r += c;
  }
  return r + "'";
}

// ---- files -----------------------------------------------------------------------------------
namespace fs = std::filesystem;

bool FileExists(const String& FileName) {
  struct stat st;
  return !FileName.empty() && ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const String& Dir) {
  struct stat st;
  return !Dir.empty() && ::stat(Dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const String& FileName) {
  struct stat st;
  if (FileName.empty() || ::lstat(FileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(FileName.c_str()) == 0;
}

bool RenameFile(const String& OldName, const String& NewName) {
  if (OldName.empty() || NewName.empty()) return false;
#ifdef SYS_renameat2
  // The platform's rename refuses an existing target; POSIX rename would replace it.
  long r = ::syscall(SYS_renameat2, AT_FDCWD, OldName.c_str(), AT_FDCWD, NewName.c_str(),
                     1u /*RENAME_NOREPLACE*/);
  if (r == 0) return true;
  if (errno != ENOSYS && errno != EINVAL) return false;
#endif
  // File systems without renameat2: link + unlink refuses an existing target too (files only).
  struct stat st;
  if (::lstat(OldName.c_str(), &st) != 0) return false;
  if (::lstat(NewName.c_str(), &st) == 0) return false;
  if (::link(OldName.c_str(), NewName.c_str()) == 0) {
    ::unlink(OldName.c_str());
    return true;
  }
  if (::lstat(NewName.c_str(), &st) == 0) return false;
  return ::rename(OldName.c_str(), NewName.c_str()) == 0;
}

namespace {

// Writes all Size bytes, resuming after interruptions and short writes.
bool WriteAll(int Fd, const char* Data, size_t Size) {
  size_t off = 0;
  while (off < Size) {
    const ssize_t w = ::write(Fd, Data + off, Size - off);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    off += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

String SymbolicLinkTarget(const String& FileName) {
  String path = FileName;
  // The kernel's own limit on links followed in one lookup.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) return path;
    const String target(buf.data(), static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    path = target.empty() || target[0] == '/' || slash == String::npos
               ? target
               : path.substr(0, slash + 1) + target;
  }
  return FileName;
}

String TemporaryNameBeside(const String& FileName, const String& Suffix) {
  const size_t slash = FileName.rfind('/');
  const size_t start = slash == String::npos ? 0 : slash + 1;
  const size_t nameLength = FileName.size() - start;
  constexpr size_t kNameMax = 255;  // the file-name limit of the usual file systems
  if (nameLength + Suffix.size() <= kNameMax) return FileName + Suffix;
  // Too long with the suffix: the name's start (whole characters), then a digest of the whole
  // name, so that two long names sharing their start still get different temporaries.
  std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (const char c : FileName) digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char tag[18];
  std::snprintf(tag, sizeof tag, "~%016llx", static_cast<unsigned long long>(digest));
  const size_t room = kNameMax - std::min(kNameMax, Suffix.size() + 17);
  size_t keep = std::min(room, nameLength);
  while (keep > 0 && (static_cast<unsigned char>(FileName[start + keep]) & 0xC0) == 0x80) --keep;
  return FileName.substr(0, start + keep) + tag + Suffix;
}

bool WriteFileReplacing(const String& FileName, const String& Bytes) {
  const String target = SymbolicLinkTarget(FileName);
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return false;  // a loop of links
  const String tmp = TemporaryNameBeside(target, ".kestal-write-" + std::to_string(::getpid()));
  const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) return false;
  bool ok = WriteAll(out, Bytes.data(), Bytes.size()) && ::fsync(out) == 0;
  if (::close(out) != 0) ok = false;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

bool CopyFileBytes(const String& Source, const String& Dest, bool FailIfExists) {
  int in = ::open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  if (FailIfExists && ::access(Dest.c_str(), F_OK) == 0) {
    ::close(in);
    return false;
  }
  // Write beside the target and rename over it at the end, so a failed copy leaves no
  // partial Dest (and an old Dest stays as it was).
  const String tmp = TemporaryNameBeside(Dest, ".kestal-copy-" + std::to_string(::getpid()));
  int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  char buf[65536];
  while (true) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!WriteAll(out, buf, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (ok) {
    if (FailIfExists) {
      long r = -1;
#ifdef SYS_renameat2
      r = ::syscall(SYS_renameat2, AT_FDCWD, tmp.c_str(), AT_FDCWD, Dest.c_str(), 1u);
#endif
      if (r != 0)
        ok = (::access(Dest.c_str(), F_OK) != 0) && ::rename(tmp.c_str(), Dest.c_str()) == 0;
    } else {
      ok = ::rename(tmp.c_str(), Dest.c_str()) == 0;
    }
  }
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

bool ForceDirectories(const String& Dir) {
  if (Dir.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(Dir), ec);
  return DirectoryExists(Dir);
}

bool CreateDir(const String& Dir) { return !Dir.empty() && ::mkdir(Dir.c_str(), 0777) == 0; }
bool RemoveDir(const String& Dir) { return !Dir.empty() && ::rmdir(Dir.c_str()) == 0; }

String ExtractFileName(const String& FileName) {
  size_t p = FileName.rfind(PathDelim);
  return p == String::npos ? FileName : FileName.substr(p + 1);
}

String ExtractFilePath(const String& FileName) {
  size_t p = FileName.rfind(PathDelim);
  return p == String::npos ? String() : FileName.substr(0, p + 1);
}

String ExtractFileDir(const String& FileName) {
  size_t p = FileName.rfind(PathDelim);
  if (p == String::npos) return String();
  if (p == 0) return "/";
  return FileName.substr(0, p);
}

String ExtractFileExt(const String& FileName) {
  String name = ExtractFileName(FileName);
  size_t p = name.rfind('.');
  return p == String::npos ? String() : name.substr(p);
}

String ChangeFileExt(const String& FileName, const String& Extension) {
  size_t slash = FileName.rfind(PathDelim);
  size_t dot = FileName.rfind('.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return FileName + Extension;
  return FileName.substr(0, dot) + Extension;
}

String IncludeTrailingPathDelimiter(const String& S) {
  if (!S.empty() && S.back() == PathDelim) return S;
  return S + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& S) {
  if (S.size() > 1 && S.back() == PathDelim) return S.substr(0, S.size() - 1);
  return S;
}

String ExpandFileName(const String& FileName) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(FileName), ec);
  if (ec) return FileName;
  return p.lexically_normal().string();
}

String GetCurrentDir() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? String() : p.string();
}

bool SetCurrentDir(const String& Dir) { return !Dir.empty() && ::chdir(Dir.c_str()) == 0; }

Int64 FileSizeOf(const String& FileName) {
  struct stat st;
  if (FileName.empty() || ::stat(FileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

// ---- memory ----------------------------------------------------------------------------------

std::uint64_t ObtainableMemoryBytes() {
  std::uint64_t limit = UINT64_MAX;
  struct sysinfo info;
  if (::sysinfo(&info) == 0) {
    const std::uint64_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
    limit = (static_cast<std::uint64_t>(info.totalram) + info.totalswap) * unit;
  }
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    struct rlimit rl;
    if (::getrlimit(resource, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
      limit = std::min<std::uint64_t>(limit, rl.rlim_cur);
  }
  // A control group's limit ("max" when there is none) ends the process just as surely.
  std::ifstream cgroup("/sys/fs/cgroup/memory.max");
  std::uint64_t groupLimit = 0;
  if (cgroup >> groupLimit && groupLimit > 0) limit = std::min(limit, groupLimit);
  return limit;
}
