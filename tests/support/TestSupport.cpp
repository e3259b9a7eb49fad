#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

static fs::path FromEnv(const char* var, const char* fallback) {
  const char* v = std::getenv(var);
  return fs::path(v && *v ? v : fallback);
}

fs::path TestDataDir() { return FromEnv("KESTAL_TESTDATA", KESTAL_TESTDATA_DIR); }
fs::path ShippedDataDir() { return FromEnv("KESTAL_DATA", KESTAL_DATA_DIR); }

TempDir::TempDir() {
  previous_ = fs::current_path();
  std::random_device rd;
  for (int i = 0; i < 100; ++i) {
    fs::path p = fs::temp_directory_path() / ("kestal-test-" + std::to_string(rd()));
    if (fs::create_directory(p)) {
      dir_ = p;
      break;
    }
  }
  if (dir_.empty()) throw std::runtime_error("cannot create a temporary folder");
  fs::current_path(dir_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(dir_, ec);
}

fs::path TempDir::write(const std::string& name, const std::string& bytes) const {
  fs::path p = dir_ / name;
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return p;
}

std::string TempDir::read(const std::string& name) const { return ReadFileBytes(dir_ / name); }

std::string ReadFileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace testsupport
