#include "TestSupport.h"

#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "PrintService.h"

namespace fs = std::filesystem;

namespace {

// Qt keeps its run-time files in the session's folder (XDG_RUNTIME_DIR); where there is no
// session (a plain login, a service, ctest started by hand) it would make /tmp/runtime-<user>
// and leave it there. A test program without one gets a private folder, removed when the
// program ends however it ends; the programs it starts share it. A child that ends without
// starting another program (a death test) leaves it to the program.
struct TRuntimeFolder {
  TRuntimeFolder() {
    const char* v = std::getenv("XDG_RUNTIME_DIR");
    if (v != nullptr && *v != '\0') return;
    try {
      Folder = new printtest::TPrivateFolder("kestal-runtime-");
    } catch (const std::exception&) {
      return;  // Qt makes its own then
    }
    Owner = getpid();
    setenv("XDG_RUNTIME_DIR", Folder->Path().c_str(), 1);
    std::atexit([] {
      if (getpid() == Owner) delete Folder;
    });
  }
  static inline printtest::TPrivateFolder* Folder = nullptr;
  static inline pid_t Owner = 0;
};

const TRuntimeFolder kRuntimeFolder;

}  // namespace

// Named on every test program's link line, so that the folder above is made in each.
extern "C" const void* const kestal_test_runtime_folder = &kRuntimeFolder;

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
          "'" KESTAL_LOCALEDEF "' -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
          "' >/dev/null 2>&1";
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
