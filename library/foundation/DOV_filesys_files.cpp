#include "DOV_filesys.h"

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "SysUtils.h"

namespace fs = std::filesystem;

namespace {

constexpr Int64 CopyBlockSize = 8192;  // the feedback reports in blocks of this size

std::atomic<bool> CopyAborted{false};

String OsPath(String s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

String WithSep(const String& dir) { return dir.empty() || dir.back() == '/' ? dir : dir + "/"; }

// Windows wildcard matching: "*" any run, "?" one character, case ignored; "*.*" matches
// every name and "x.*" also the name "x".
bool GlobMatch(const char* m, const char* n) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n != '\0') {
    if (*m == '*') {
      star = m++;
      resume = n;
    } else if (*m == '?' || (*m != '\0' && LowerCaseChar(*m) == LowerCaseChar(*n))) {
      ++m;
      ++n;
    } else if (star != nullptr) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (*m == '*') ++m;
  return *m == '\0';
}

bool MatchesMask(const String& name, const String& mask) {
  if (mask == "*.*" || mask == "*") return true;
  if (GlobMatch(mask.c_str(), name.c_str())) return true;
  return mask.size() > 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
         name.find('.') == String::npos &&
         GlobMatch(mask.substr(0, mask.size() - 2).c_str(), name.c_str());
}

struct TEntry {
  String Name;
  bool IsDir = false;  // a folder itself, not a link to one
  bool IsLink = false;
  bool LinkToDir = false;
  bool Hidden = false;
  bool ReadOnly = false;
};

// The entries of a folder ("." and ".." never); an unreadable folder has none.
std::vector<TEntry> ListFolder(const String& dir) {
  std::vector<TEntry> out;
  std::error_code ec;
  fs::directory_iterator it(fs::path(dir.empty() ? String(".") : dir), ec);
  if (ec) return out;
  for (const fs::directory_entry& e : it) {
    TEntry t;
    t.Name = e.path().filename().string();
    struct stat st {};
    if (::lstat(e.path().c_str(), &st) != 0) continue;
    t.IsLink = S_ISLNK(st.st_mode);
    t.IsDir = S_ISDIR(st.st_mode);
    if (t.IsLink) {
      struct stat target {};
      t.LinkToDir = ::stat(e.path().c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    }
    t.Hidden = !t.Name.empty() && t.Name[0] == '.';
    t.ReadOnly = !t.IsLink && (st.st_mode & S_IWUSR) == 0;
    out.push_back(std::move(t));
  }
  return out;
}

void SplitMask(const String& mask, String& folder, String& name) {
  const String m = OsPath(mask);
  const size_t sep = m.rfind('/');
  folder = sep == String::npos ? String() : m.substr(0, sep + 1);
  name = sep == String::npos ? m : m.substr(sep + 1);
}

class TFd {
public:
  explicit TFd(int fd = -1) : FFd(fd) {}
  ~TFd() { Close(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  void Reset(int fd) {
    Close();
    FFd = fd;
  }
  bool Close() {
    const bool ok = FFd < 0 || ::close(FFd) == 0;
    FFd = -1;
    return ok;
  }

private:
  int FFd;
};

bool WriteAll(int fd, const char* data, Int64 n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, static_cast<size_t>(n));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= w;
  }
  return true;
}

Int64 ReadSome(int fd, char* data, Int64 n) {
  Int64 got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, data + got, static_cast<size_t>(n - got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    got += r;
  }
  return got;
}

mode_t CurrentUmask() {
  const mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

}  // namespace

void AbortAnyFileCopying() { CopyAborted = true; }

Integer FileCopyFeedBk(const String& Source, const String& Dest, bool CopyAttrib,
                       const TFileCopyFeedBack& Feedback) {
  CopyAborted = false;
  const String source = OsPath(Source);
  String dest = OsPath(Dest);
  if (DirectoryExists(dest)) dest = WithSep(dest) + ExtractFileName(source);
  dest = SymbolicLinkTarget(dest);

  struct stat srcStat {};
  {
    TFd probe(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (probe.Get() < 0 || ::fstat(probe.Get(), &srcStat) != 0)
      throw EInOutError("Cannot open file \"" + Source + "\". " + std::strerror(errno), errno);
  }
  const Int64 size = srcStat.st_size;
  if (Feedback) Feedback(0, static_cast<Integer>(size));

  Integer status = 0;
  Int64 copied = 0;
  TFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat destStat {};
  const bool destExists = ::stat(dest.c_str(), &destStat) == 0;
  String temp;
  TFd out;
  if (in.Get() < 0) {
    status = -1;
  } else if (destExists && destStat.st_dev == srcStat.st_dev && destStat.st_ino == srcStat.st_ino) {
    status = -2;  // the destination is the source itself: creating it would empty the source
  } else {
    // The copy grows beside the destination and replaces it only when complete.
    temp = dest + ".copy-XXXXXX";
    out.Reset(::mkstemp(temp.data()));
    if (out.Get() < 0) {
      status = -2;
      temp.clear();
    }
  }
  std::vector<char> buffer(CopyBlockSize);
  while (status == 0) {
    const Int64 got = ReadSome(in.Get(), buffer.data(), CopyBlockSize);
    if (got < 0) {
      status = -4;
      break;
    }
    if (Feedback) Feedback(static_cast<Integer>(copied), static_cast<Integer>(size));
    if (got > 0 && !WriteAll(out.Get(), buffer.data(), got)) status = -3;
    copied += got;
    if (got < CopyBlockSize) break;
    if (CopyAborted) status = fcAborted;
  }
  if (status == 0) {
    const timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
    const mode_t mode = CopyAttrib   ? ((srcStat.st_mode & 07777) | S_IWUSR)
                        : destExists ? (destStat.st_mode & 07777)
                                     : (0666 & ~CurrentUmask());
    if (::fchmod(out.Get(), mode) != 0 || ::futimens(out.Get(), times) != 0 || !out.Close() ||
        ::rename(temp.c_str(), dest.c_str()) != 0)
      status = -3;
    else
      temp.clear();
  }
  out.Close();
  if (!temp.empty()) ::unlink(temp.c_str());
  if (Feedback) Feedback(static_cast<Integer>(copied), static_cast<Integer>(size));
  return status;
}

namespace {

struct TTreeCopy {
  TTreeCopyFeedBack Feedback;
  bool CopyAttrib = false;
  String CurrentName;
  Integer Files = 0;
  Integer Bytes = 0;
  Integer Size = 0;

  void Copy(const String& src, const String& dst) {
    ForceDirectories(dst);
    for (const TEntry& e : ListFolder(src)) {
      if (CopyAborted) return;
      if (e.IsDir) {
        Copy(src + e.Name + "/", dst + e.Name + "/");
      } else if (!e.LinkToDir) {
        CurrentName = dst + e.Name;
        ++Files;
        FileCopyFeedBk(src + e.Name, CurrentName, CopyAttrib, [this](Integer b, Integer s) {
          Bytes = b;
          Size = s;
          if (Feedback) Feedback(b, s, CurrentName, Files);
        });
        if (Feedback) Feedback(Bytes, Size, CurrentName, Files);
      }
    }
  }
};

}  // namespace

void CopyFileTree(const String& SourceDir, const String& DestDir, bool CopyAttrib,
                  const TTreeCopyFeedBack& Feedback) {
  TTreeCopy run;
  run.Feedback = Feedback;
  run.CopyAttrib = CopyAttrib;
  CopyAborted = false;
  const String src = WithSep(OsPath(SourceDir)), dst = WithSep(OsPath(DestDir));
  if (LowerCase(src) == LowerCase(dst)) return;
  // The same folder under another name, or a destination inside the source, would copy
  // without end.
  std::error_code ec;
  const String realSrc = WithSep(fs::weakly_canonical(fs::path(src), ec).string());
  const String realDst = WithSep(fs::weakly_canonical(fs::path(dst), ec).string());
  if (realDst.compare(0, realSrc.size(), realSrc) == 0) return;
  run.Copy(src, dst);
}

String DelDirTree(const String& DirName) {
  if (DirName.empty()) return "";
  const String dir = WithSep(OsPath(DirName));
  String result;
  for (const TEntry& e : ListFolder(dir)) {
    const String name = dir + e.Name;
    if (e.IsDir) {
      result = DelDirTree(name + "/");
    } else if (e.ReadOnly || ::unlink(name.c_str()) != 0) {
      // Read-only is the owner's write bit, tested before unlink: a file marked read-only
      // stays even for root, who could unlink it.
      result = name;
    }
    if (!result.empty()) return result;
  }
  if (::rmdir(dir.c_str()) != 0) result = dir;
  return result;
}

Integer DeleteFiles(const String& FileMask) {
  String folder, mask;
  SplitMask(ExpandFileName(OsPath(FileMask)), folder, mask);
  Integer count = 0;
  for (const TEntry& e : ListFolder(folder))
    if (!e.Hidden && !e.IsDir && !e.LinkToDir && MatchesMask(e.Name, mask) &&
        ::unlink((folder + e.Name).c_str()) == 0)
      ++count;
  return count;
}

namespace {

String TrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && *data != '\0') return WithSep(data) + "Trash/";
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? WithSep(home) + ".local/share/Trash/" : String();
}

String PercentEncoded(const String& path) {
  static const char* const hex = "0123456789ABCDEF";
  String out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// Moves one file into the trash with its information file; false leaves it where it was.
// A name already in the trash takes ".2", ".3", ...: the information file is created
// exclusively, so that name is claimed before the file moves.
bool TrashFile(const String& trash, const String& path, const String& name) {
  if (!ForceDirectories(trash + "files") || !ForceDirectories(trash + "info")) return false;
  constexpr int MaxTries = 1000;
  for (int n = 1; n <= MaxTries; ++n) {
    const String trashName = n == 1 ? name : name + "." + IntToStr(n);
    const String info = trash + "info/" + trashName + ".trashinfo";
    TFd fd(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.Get() < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const String text = "[Trash Info]\nPath=" + PercentEncoded(path) +
                        "\nDeletionDate=" + FormatDateTime("yyyy-mm-dd'T'hh:nn:ss", Now()) + "\n";
    const bool written = WriteAll(fd.Get(), text.data(), static_cast<Int64>(text.size()));
    if (fd.Close() && written && RenameFile(path, trash + "files/" + trashName)) return true;
    ::unlink(info.c_str());
    return false;
  }
  return false;
}

}  // namespace

Integer MoveToRecycleBin(const String& FileMask) {
  String folder, mask;
  SplitMask(ExpandFileName(OsPath(FileMask)), folder, mask);
  const String trash = TrashFolder();
  if (trash.empty()) return 0;
  Integer count = 0;
  for (const TEntry& e : ListFolder(folder))
    if (!e.Hidden && !e.IsDir && !e.LinkToDir && MatchesMask(e.Name, mask) &&
        TrashFile(trash, folder + e.Name, e.Name))
      ++count;
  return count;
}

void SetAllFilenameCase(const String& FileMask, bool Upper) {
  String folder, mask;
  SplitMask(FileMask, folder, mask);
  mask = LowerCase(mask);
  for (const TEntry& e : ListFolder(folder)) {
    if (!MatchesMask(e.Name, mask)) continue;
    String newName = e.Name;
    for (char& c : newName) c = Upper ? UpperCaseChar(c) : LowerCaseChar(c);
    if (newName != e.Name) {
      const String from = folder + e.Name, to = folder + newName;
      // Another entry of the new name would be replaced on a case-sensitive file system.
      struct stat st {};
      if (::lstat(to.c_str(), &st) == 0 || !RenameFile(from, to))
        throw EInOutError("Cannot rename \"" + from + "\" to \"" + to + "\": it exists");
    }
    if (e.IsDir && !e.Hidden && !e.ReadOnly)
      SetAllFilenameCase(folder + newName + "/" + mask, Upper);
  }
}

namespace {

void WalkFiles(const String& folder, const String& mask, bool recursive, TStrings* list,
               const TScanFilesFeedback& feedback, Integer& count) {
  if (feedback) feedback(folder, count);
  const std::vector<TEntry> entries = ListFolder(folder);
  for (const TEntry& e : entries)
    if (!e.IsDir && !e.LinkToDir && MatchesMask(e.Name, mask)) {
      ++count;
      if (list != nullptr) list->Add(folder + e.Name);
    }
  if (!recursive) return;
  for (const TEntry& e : entries)
    if (e.IsDir && !e.Hidden) WalkFiles(folder + e.Name + "/", mask, true, list, feedback, count);
}

}  // namespace

void ScanFilesToStrList(const String& FileMask, bool Recursive, TStrings* List,
                        const TScanFilesFeedback& Feedback) {
  if (List == nullptr) return;
  String folder, mask;
  SplitMask(FileMask, folder, mask);
  Integer count = 0;
  WalkFiles(folder, mask, Recursive, List, Feedback, count);
}

Integer CountFiles(const String& FileMask, bool Recursive, const TScanFilesFeedback& Feedback) {
  String folder, mask;
  SplitMask(FileMask, folder, mask);
  Integer count = 0;
  WalkFiles(folder, mask, Recursive, nullptr, Feedback, count);
  return count;
}

String FileDetect(const String& FileName) {
  String folder, mask;
  SplitMask(FileName, folder, mask);
  const std::vector<TEntry> entries = ListFolder(folder);
  for (const TEntry& e : entries)
    if (!e.IsDir && !e.LinkToDir && !e.Hidden && MatchesMask(e.Name, mask)) return folder + e.Name;
  for (const TEntry& e : entries) {
    if (!e.IsDir || e.Hidden || e.ReadOnly) continue;
    const String found = FileDetect(folder + e.Name + "/" + mask);
    if (!found.empty()) return found;
  }
  return "";
}

void EnsureCRLFInFile(const String& InFile, const String& OutFile) {
  TTextFile in(OsPath(InFile));
  in.Reset();
  String text;
  while (!in.Eof()) text += in.ReadChar();
  in.CloseFile();
  String out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) out += '\n';
  }
  if (!WriteFileReplacing(OsPath(OutFile), out))
    throw EInOutError("Cannot write file \"" + OutFile + "\"");
}
