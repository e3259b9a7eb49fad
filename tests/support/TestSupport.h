#pragma once
// Helpers shared by the test programs.
#include <filesystem>
#include <string>

namespace testsupport {

// Folder of the test data files (real third-party data shipped with the tests).
std::filesystem::path TestDataDir();
// Folder of the data Kestal ships (the default catalogue).
std::filesystem::path ShippedDataDir();

// A fresh empty folder that is made the current directory for the object's lifetime,
// then removed with everything in it.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return dir_; }
  // Writes bytes to a file in the folder and returns its full path.
  std::filesystem::path write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;

private:
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

std::string ReadFileBytes(const std::filesystem::path& p);

// A disk that takes only the first Bytes bytes of any file written while the object lives:
// writing past them fails as on a full disk (the signal a process would get for it is ignored
// meanwhile).
class FileSizeLimit {
public:
  explicit FileSizeLimit(unsigned long long Bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  unsigned long long oldSoft_, oldHard_;
  void (*oldHandler_)(int);
};

// Makes a locale whose decimal separator is a comma the C library's locale (all categories),
// for the rest of the process or until the test sets another. An installed German or French
// locale serves; without one, a German locale is compiled once into a temporary folder with
// the system's locale sources. Returns the locale's name, or "" when neither is possible.
std::string UseCommaDecimalLocale();

}  // namespace testsupport
