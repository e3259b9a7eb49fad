#include "DOV_filesys.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "RtlRandom.h"
#include "SysUtils.h"

extern char** environ;

namespace {

bool IsPathSep(char c) { return c == '\\' || c == '/' || c == ':'; }

// Index just behind the folder part (0 when the path has none).
size_t NameStart(const String& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsPathSep(path[i - 1])) return i;
  return 0;
}

// The probe file the read-only tests create, keeping the name such probes always had.
constexpr const char* ProbeFileName = "$%$LO%$.$$$";
constexpr Byte DriveC = 2;

const char* const PasswordVowels = "aeiouy";
const char* const PasswordConsonants = "bcdfghjklmnpqrstvwxz";
const char* const PasswordSpecials = "_!$%#=";

String OsPath(String s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

String StripExtension(const String& FileName) {
  const size_t start = NameStart(FileName);
  const size_t dot = FileName.rfind('.');
  if (dot == String::npos || dot < start) return FileName;
  return FileName.substr(0, dot);
}

String StripPath(const String& FileName) { return FileName.substr(NameStart(FileName)); }

String InsertBeforeFileExt(const String& Insertion, const String& FileName) {
  const size_t start = NameStart(FileName);
  const size_t dot = FileName.find('.', start);
  if (dot == String::npos) return FileName + Insertion;
  return FileName.substr(0, dot) + Insertion + FileName.substr(dot);
}

String EnsureDefaultFileExt(const String& FileName, const String& DefaultExt) {
  if (DefaultExt.empty() || FileName.find('.', NameStart(FileName)) != String::npos)
    return FileName;
  return DefaultExt[0] == '.' ? FileName + DefaultExt : FileName + "." + DefaultExt;
}

String ParentDir(const String& DirName) {
  String s = DirName;
  if (!s.empty() && (s.back() == '\\' || s.back() == '/')) s.pop_back();
  const size_t sep = s.find_last_of("\\/");
  return sep == String::npos ? String() : s.substr(0, sep + 1);
}

bool IsRootDir(const String& DirName) {
  String s = Trim(DirName);
  for (char& c : s) c = LowerCaseChar(c);
  if (s == "/") return true;
  return s.size() <= 3 && s.size() >= 3 && s.compare(1, 2, ":\\") == 0;
}

String AbridgeFilePath(const String& Path, Integer MaxLeng) {
  String result = Path;
  char sep = '\\';
  size_t cur = result.find(sep);
  if (cur == String::npos) {
    sep = '/';
    cur = result.find(sep);
  }
  if (cur == String::npos) return result;
  while (static_cast<Integer>(result.size()) >= MaxLeng) {
    const size_t next = result.find(sep, cur + 1);
    if (next == String::npos) break;
    result.replace(cur + 1, next - cur - 1, "..");
    cur += 3;
  }
  return result;
}

String DOSToWinPath(const String& ShortPath) { return ExpandFileName(OsPath(ShortPath)); }

bool IsDOS83Path(const String& Path) {
  static const String allowed =
      "!#$%&'()-.0123456789:@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_`abcdefghijklmnopqrstuvwxyz{}~";
  for (char c : Path)
    if (allowed.find(c) == String::npos) return false;
  constexpr size_t MaxPiece = 9;  // eight characters and the separator
  size_t i = 0;
  const size_t lastBk = Path.rfind('\\');
  while (lastBk != String::npos && i <= lastBk) {
    const size_t end = Path.find('\\', i);
    if (end - i + 1 > MaxPiece) return false;
    i = end + 1;
  }
  const size_t dot = Path.find('.', i);
  if (dot != String::npos) {
    if (dot - i + 1 > MaxPiece) return false;
    i = dot + 1;
  }
  return Path.size() - i <= MaxPiece;
}

Integer ExtractDrive(const String& Path) {
  if (Path.size() < 2 || Path[1] != ':') return -1;
  const char c = static_cast<char>(Path[0] >= 'a' && Path[0] <= 'z' ? Path[0] - 32 : Path[0]);
  return c >= 'A' && c <= 'Z' ? c - 'A' : -1;
}

Integer GetDiskDriveType(Byte Drive) {
  constexpr Integer DriveUnknown = 0, DriveNoRoot = 1, DriveFixed = 3;
  if (Drive > 25) return DriveUnknown;
  return Drive == DriveC ? DriveFixed : DriveNoRoot;
}

namespace {

// 1 when the probe could not be created, 0 when it was created and removed, -1 when a file of
// the probe's name was there already (left alone), -2 when the probe could not be removed.
int ProbeFolder(const String& dir) {
  const String name = IncludeTrailingPathDelimiter(dir) + ProbeFileName;
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? -1 : 1;
  const bool closed = ::close(fd) == 0;
  const bool removed = ::unlink(name.c_str()) == 0;
  return closed && removed ? 0 : -2;
}

}  // namespace

bool DiskIsReadOnly(Byte Drive) {
  if (Drive != DriveC) return true;
  const int r = ProbeFolder("/");
  if (r == -1) return ::access("/", W_OK) != 0;
  return r != 0;
}

bool DirIsReadOnly(const String& DirName) {
  const String dir = OsPath(DirName);
  const int r = ProbeFolder(dir);
  if (r == -2) throw EInOutError("Cannot remove the probe file in \"" + dir + "\"");
  if (r == -1) return ::access(dir.c_str(), W_OK) != 0;
  return r == 1;
}

Double DiskFreeExtended(Byte Drive) {
  if (Drive != DriveC) return -1;
  struct statvfs st {};
  if (::statvfs("/", &st) != 0) return -1;
  return static_cast<Double>(st.f_bavail) * static_cast<Double>(st.f_frsize);
}

bool DirEmpty(const String& DirName) {
  std::error_code ec;
  std::filesystem::directory_iterator it(std::filesystem::path(OsPath(DirName)), ec);
  return ec || it == std::filesystem::directory_iterator();
}

bool DirExists(const String& DirName) {
  return !DirName.empty() && DirectoryExists(OsPath(DirName));
}

void BuildDriveList(TStrings& List) {
  List.Clear();
  List.Add("C:");
}

Integer GetFileSize(const String& FileName) {
  struct stat st {};
  if (::stat(ExpandFileName(OsPath(FileName)).c_str(), &st) != 0) return -1;
  return static_cast<Integer>(static_cast<std::uint32_t>(st.st_size));
}

String GetSystemDir() { return ""; }
String GetWindowsDir() { return ""; }

String GetTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  const String dir = tmp != nullptr && *tmp != '\0' ? String(tmp) : String("/tmp");
  return DirectoryExists(dir) ? IncludeTrailingPathDelimiter(dir) : String();
}

String GetEnviroVar(const String& VarName) {
  String value;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* entry = *e;
    const size_t n = VarName.size();
    if (std::strlen(entry) <= n || entry[n] != '=') continue;
    bool same = true;
    for (size_t i = 0; i < n && same; ++i)
      same = LowerCaseChar(entry[i]) == LowerCaseChar(VarName[i]);
    if (same) value = entry + n + 1;
  }
  return value;
}

String GetProgAssoc(const String& Extension) { return ""; }

String InventPassword(Integer Length) {
  const Integer len = std::clamp<Integer>(Length, 4, 14);
  String pw;
  if (len % 2 == 1) pw += PasswordVowels[Random(6)];
  for (Integer i = 0; i < len / 2 - 1; ++i) {
    pw += PasswordConsonants[Random(20)];
    pw += PasswordVowels[Random(6)];
  }
  const Integer d = Random(100);
  const String digits{static_cast<char>('0' + d / 10), static_cast<char>('0' + d % 10)};
  constexpr size_t DigitsAt = 6;  // behind the sixth character
  if (pw.size() >= DigitsAt + 1)
    pw.insert(DigitsAt, digits);
  else
    pw += digits;
  return pw;
}

String InventPassword(Integer Length, bool MixedCase, bool SpecialChars) {
  String pw = InventPassword(Length);
  // Both passes stay inside the password, which has at most 14 characters.
  const size_t n = std::min<size_t>(pw.size(), static_cast<size_t>(std::max<Integer>(Length, 0)));
  if (MixedCase)
    for (size_t i = 0; i < n; ++i)
      if (RandomReal() > 0.5 && pw[i] >= 'a' && pw[i] <= 'z') pw[i] = static_cast<char>(pw[i] - 32);
  if (SpecialChars)
    for (size_t i = 0; i < n; ++i)
      if (RandomReal() > 0.8) {
        const Integer r = Random(16) + 1;
        pw[i] = r <= 6 ? PasswordSpecials[r - 1] : static_cast<char>('0' + r - 7);
      }
  return pw;
}
