#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Classes.h"
#include "DOV_filesys.h"
#include "RtlRandom.h"
#include "TestSupport.h"

namespace {

struct PathCase {
  const char* in;
  const char* want;
};

TEST(PathNames, SplitAndJoin) {
  const PathCase strip[] = {{"C:\\a.b\\file", "C:\\a.b\\file"},
                            {"x.tar.gz", "x.tar"},
                            {"/home/u/a.b/file", "/home/u/a.b/file"},
                            {"d:x.txt", "d:x"}};
  for (const auto& c : strip) EXPECT_EQ(StripExtension(c.in), c.want) << c.in;
  EXPECT_EQ(StripPath("C:\\dir\\name.txt"), "name.txt");
  EXPECT_EQ(StripPath("/tmp/x/y.csv"), "y.csv");
  EXPECT_EQ(InsertBeforeFileExt("_1", "data.old.txt"), "data_1.old.txt");
  EXPECT_EQ(InsertBeforeFileExt("_1", "C:\\v.1\\data"), "C:\\v.1\\data_1");
  EXPECT_EQ(EnsureDefaultFileExt("report", "txt"), "report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("report", ".txt"), "report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("report.csv", "txt"), "report.csv");
  EXPECT_EQ(EnsureDefaultFileExt("report", ""), "report");
  EXPECT_EQ(ParentDir("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(ParentDir("C:\\a\\b"), "C:\\a\\");
  EXPECT_EQ(ParentDir("/home/u/"), "/home/");
  EXPECT_EQ(ParentDir("name"), "");
}

TEST(PathNames, RootsDrivesAndShortForms) {
  EXPECT_TRUE(IsRootDir("C:\\"));
  EXPECT_TRUE(IsRootDir("  c:\\ "));
  EXPECT_TRUE(IsRootDir("/"));
  EXPECT_FALSE(IsRootDir("C:"));
  EXPECT_FALSE(IsRootDir("C:\\x"));
  EXPECT_EQ(ExtractDrive("C:\\x"), 2);
  EXPECT_EQ(ExtractDrive("z:"), 25);
  EXPECT_EQ(ExtractDrive("/tmp"), -1);
  EXPECT_EQ(ExtractDrive("x"), -1);
  EXPECT_EQ(AbridgeFilePath("C:\\abc\\def\\file.txt", 17), "C:\\..\\..\\file.txt");
  EXPECT_EQ(AbridgeFilePath("C:\\abc\\def\\file.txt", 40), "C:\\abc\\def\\file.txt");
  EXPECT_EQ(AbridgeFilePath("/usr/share/doc/x.txt", 10), "/../../../x.txt");
  EXPECT_EQ(AbridgeFilePath("file.txt", 3), "file.txt");
  EXPECT_TRUE(IsDOS83Path("C:\\DOS\\COMMAND.COM"));
  EXPECT_TRUE(IsDOS83Path("C:\\12345678\\12345678.123"));
  EXPECT_FALSE(IsDOS83Path("C:\\123456789\\A.TXT"));
  EXPECT_FALSE(IsDOS83Path("C:\\DOS\\LONGFILENAME"));
  EXPECT_FALSE(IsDOS83Path("C:\\MY DIR\\A.TXT"));
}

TEST(DriveQueries, DriveCIsTheRoot) {
  EXPECT_EQ(GetDiskDriveType(2), 3);
  EXPECT_EQ(GetDiskDriveType(0), 1);
  EXPECT_EQ(GetDiskDriveType(26), 0);
  EXPECT_GT(DiskFreeExtended(2), 0);
  EXPECT_EQ(DiskFreeExtended(3), -1);
  EXPECT_TRUE(DiskIsReadOnly(4));
  TStringList drives;
  drives.Add("stale");
  BuildDriveList(drives);
  ASSERT_EQ(drives.Count(), 1);
  EXPECT_EQ(drives[0], "C:");
  EXPECT_EQ(GetSystemDir(), "");
  EXPECT_EQ(GetWindowsDir(), "");
  EXPECT_EQ(GetProgAssoc("txt"), "");
}

TEST(FolderQueries, EmptinessExistenceAndSize) {
  testsupport::TempDir dir;
  const String d = dir.path().string();
  EXPECT_TRUE(DirEmpty(d));
  EXPECT_TRUE(DirEmpty(d + "/missing"));
  dir.write(".hidden", "x");
  EXPECT_FALSE(DirEmpty(d));
  EXPECT_TRUE(DirExists(d));
  EXPECT_FALSE(DirExists(d + "/.hidden"));
  EXPECT_FALSE(DirExists(""));
  EXPECT_EQ(GetFileSize(d + "/.hidden"), 1);
  EXPECT_EQ(GetFileSize(d + "/none"), -1);
}

TEST(FolderQueries, TempDirFollowsTmpdir) {
  testsupport::TempDir dir;
  const char* old = std::getenv("TMPDIR");
  const String saved = old != nullptr ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  EXPECT_EQ(GetTempDir(), dir.path().string() + "/");
  setenv("TMPDIR", (dir.path() / "gone").c_str(), 1);
  EXPECT_EQ(GetTempDir(), "");
  if (old != nullptr)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

TEST(FolderQueries, ReadOnlyProbeNeverTouchesAUserFile) {
  testsupport::TempDir dir;
  const String d = dir.path().string();
  EXPECT_FALSE(DirIsReadOnly(d));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the probe is gone again
  // A user's file of the probe's name stays as it was.
  dir.write("$%$LO%$.$$$", "keep me");
  EXPECT_FALSE(DirIsReadOnly(d));
  EXPECT_EQ(dir.read("$%$LO%$.$$$"), "keep me");
  EXPECT_TRUE(DirIsReadOnly(d + "/missing"));
  if (geteuid() != 0) {  // the superuser writes anywhere
    ::chmod(d.c_str(), 0500);
    EXPECT_TRUE(DirIsReadOnly(d));
    ::chmod(d.c_str(), 0700);
  }
}

TEST(Environment, NamesIgnoreCase) {
  setenv("KESTAL_TEST_VAR", "value 1", 1);
  EXPECT_EQ(GetEnviroVar("kestal_test_var"), "value 1");
  EXPECT_EQ(GetEnviroVar("KESTAL_TEST_VA"), "");
  unsetenv("KESTAL_TEST_VAR");
  EXPECT_EQ(GetEnviroVar("kestal_test_var"), "");
}

bool IsVowel(char c) { return String("aeiouy").find(c) != String::npos; }
bool IsConsonant(char c) { return String("bcdfghjklmnpqrstvwxz").find(c) != String::npos; }
bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

TEST(InventPassword, ShapeByLength) {
  InitRandomGenerator(8053);
  EXPECT_EQ(InventPassword(2).size(), 4u);
  EXPECT_EQ(InventPassword(20).size(), 14u);
  for (int round = 0; round < 20; ++round) {
    const String pw = InventPassword(9);
    ASSERT_EQ(pw.size(), 9u);
    const String shape = "vcvcvcddv";
    for (size_t i = 0; i < pw.size(); ++i) {
      const bool ok = shape[i] == 'v'   ? IsVowel(pw[i])
                      : shape[i] == 'c' ? IsConsonant(pw[i])
                                        : IsDigitChar(pw[i]);
      EXPECT_TRUE(ok) << pw << " at " << i;
    }
    const String shortPw = InventPassword(5);  // digits at the end
    EXPECT_TRUE(IsDigitChar(shortPw[3]) && IsDigitChar(shortPw[4])) << shortPw;
  }
}

TEST(InventPassword, ThreeArgumentFormStaysInsideThePassword) {
  InitRandomGenerator(1);
  for (int round = 0; round < 50; ++round) {
    const String pw = InventPassword(30, true, true);
    EXPECT_EQ(pw.size(), 14u);
    for (char c : pw) EXPECT_NE(c, '\0');
  }
}

}  // namespace
