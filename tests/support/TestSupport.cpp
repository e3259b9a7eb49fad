#include "TestSupport.h"

#include <sys/resource.h>

#include <clocale>
#include <csignal>
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
  fs::create_directories(p.parent_path());
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

std::string UseCommaDecimalLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
    if (std::setlocale(LC_ALL, name) != nullptr) return name;
  // The compiled locale lives in a folder removed when the test program ends.
  struct CompiledLocale {
    fs::path dir =
        fs::temp_directory_path() / ("kestal-locale-" + std::to_string(std::random_device{}()));
    bool ok = false;
    CompiledLocale() {
      fs::create_directories(dir);
      const std::string command =
          "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
      ok = std::system(command.c_str()) == 0;
    }
    ~CompiledLocale() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  };
  static const CompiledLocale compiled;
  if (!compiled.ok) return "";
  ::setenv("LOCPATH", compiled.dir.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ? "de_DE.UTF-8" : "";
}

FileSizeLimit::FileSizeLimit(unsigned long long Bytes) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  oldSoft_ = old.rlim_cur;
  oldHard_ = old.rlim_max;
  oldHandler_ = signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old;
  limit.rlim_cur = Bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  const rlimit old{oldSoft_, oldHard_};
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler_);
}

}  // namespace testsupport
