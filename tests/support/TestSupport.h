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

}  // namespace testsupport
