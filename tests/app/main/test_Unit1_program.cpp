// The program as a whole: every window created once, in order, and a clean exit when the
// main window is closed.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "Forms.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "TimeZone.h"
#include "Unit1Program.h"
#include "support_mainwin.h"

namespace {

std::vector<std::string> ExpectedOrder() {
  std::vector<std::string> names;
  auto add = [&](int from, int to) {
    for (int n = from; n <= to; ++n) names.push_back("Form" + std::to_string(n));
  };
  add(1, 2);
  add(4, 13);
  add(17, 31);
  add(34, 42);
  add(46, 51);
  add(53, 53);
  return names;
}

std::filesystem::path ProgramPath() {
  char self[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  return std::filesystem::path(std::string(self, static_cast<size_t>(n)))
             .parent_path()
             .parent_path() /
         "app" / "kestal";
}

// What the program finds in its folder on a normal start: the real catalogue and the test
// configuration.
void FillProgramFolder(testsupport::TempDir& Dir) {
  std::filesystem::copy_file(testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv",
                             Dir.path() / "ATNF.csv");
  Dir.write("KestalDB.txt", ConfigText(ConfigLines()));
}

// Runs the program in Dir, Before (a command or variable settings) in front of it, all output
// to out.txt; the status std::system gives.
int RunProgramIn(const testsupport::TempDir& Dir, const std::string& Before, int TimeoutSeconds) {
  const std::string command = "cd '" + Dir.path().string() + "' && " + Before +
                              " '" KESTAL_TIMEOUT "' " + std::to_string(TimeoutSeconds) + " '" +
                              ProgramPath().string() + "' > out.txt 2>&1";
  return std::system(command.c_str());
}

}  // namespace

TEST(Program, CreatesEveryWindowOnceInOrder) {
  testsupport::TempDir dir;
  TScopedDialogScript dialogs;
  ProgramExit = [](int Code) { throw ProgramEnded{Code}; };
  SetTimeZoneForTesting(TTimeZoneInformation{});
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
  std::filesystem::copy_file(testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv",
                             dir.path() / "ATNF.csv");
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));

  CreateKestalForms();

  std::vector<std::string> forms;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TForm*>(Application->Components(i))) forms.push_back(f->Name());
  EXPECT_EQ(forms, ExpectedOrder());
  EXPECT_EQ(Application->MainForm(), Form1);
  EXPECT_TRUE(dialogs->Boxes().empty());
  EXPECT_GT(Form1->Count1400, 0);
  // The windows no control opens are plain: their caption and nothing inside.
  for (const char* name : {"Form9", "Form10", "Form22", "Form31", "Form37"}) {
    auto* f = dynamic_cast<TForm*>(Application->FindComponent(name));
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(f->Caption(), name);
    EXPECT_EQ(f->ComponentCount(), 0) << name;
  }
  Application->DestroyComponents();
  Form1 = nullptr;
}

TEST(Program, RunsOffscreenAndEndsWithZeroWhenTheMainWindowIsClosed) {
  const std::filesystem::path program = ProgramPath();
  ASSERT_TRUE(std::filesystem::exists(program)) << program;
  testsupport::TempDir dir;
  FillProgramFolder(dir);
  const int status = RunProgramIn(dir,
                                  "QT_QPA_PLATFORM=offscreen KESTAL_CLOSE_MAIN_AFTER_MS=300 "
                                  "KESTAL_PROBE_URL=http://127.0.0.1:1/",
                                  60);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << dir.read("out.txt");
  // Nothing is saved on the way out.
  EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(ConfigLines()));
}

TEST(Program, WithoutADisplaySaysSoInOneLineAndEndsWithACode) {
  const std::filesystem::path program = ProgramPath();
  ASSERT_TRUE(std::filesystem::exists(program)) << program;
  testsupport::TempDir dir;
  const int status =
      RunProgramIn(dir, "'" KESTAL_ENV "' -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", 60);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 2);
  const std::string out = dir.read("out.txt");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_NE(out.find("no display"), std::string::npos) << out;
  // It ended before reading or writing anything in the folder.
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "KestalDB.txt"));
}

TEST(Program, ScreenshotRunSavesAPictureOfEveryWindowAndEnds) {
  const std::filesystem::path program = ProgramPath();
  ASSERT_TRUE(std::filesystem::exists(program)) << program;
  testsupport::TempDir dir;
  FillProgramFolder(dir);
  std::filesystem::create_directory(dir.path() / "shots");
  const int status = RunProgramIn(dir,
                                  "QT_QPA_PLATFORM=offscreen KESTAL_SCREENSHOTS=shots "
                                  "KESTAL_PROBE_URL=http://127.0.0.1:1/",
                                  120);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << dir.read("out.txt");
  std::vector<std::string> expected = {"Form1_start", "Form1", "Form1_evaluation"};
  for (const std::string& form : ExpectedOrder())
    if (form != "Form1") expected.push_back(form);
  for (const std::string& name : expected) {
    const std::filesystem::path png = dir.path() / "shots" / (name + ".png");
    ASSERT_TRUE(std::filesystem::exists(png)) << png;
    EXPECT_EQ(dir.read("shots/" + name + ".png").substr(1, 3), "PNG") << png;
  }
  EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(ConfigLines()));
}
