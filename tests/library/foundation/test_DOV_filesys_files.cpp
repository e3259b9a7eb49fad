#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "Classes.h"
#include "DOV_filesys.h"
#include "SysUtils.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

String P(const testsupport::TempDir& dir, const char* name) { return (dir.path() / name).string(); }

std::vector<String> Names(const fs::path& folder) {
  std::vector<String> out;
  for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(FileCopyFeedBk, FeedbackOfAFullBlockFile) {
  testsupport::TempDir dir;
  dir.write("src.bin", std::string(8192, 'x'));
  std::vector<std::pair<Integer, Integer>> seen;
  const Integer status = FileCopyFeedBk(P(dir, "src.bin"), P(dir, "dst.bin"), false,
                                        [&](Integer b, Integer s) { seen.emplace_back(b, s); });
  EXPECT_EQ(status, 0);
  const std::vector<std::pair<Integer, Integer>> want = {
      {0, 8192}, {0, 8192}, {8192, 8192}, {8192, 8192}};
  EXPECT_EQ(seen, want);
  EXPECT_EQ(dir.read("dst.bin"), std::string(8192, 'x'));
  EXPECT_EQ(Names(dir.path()), (std::vector<String>{"dst.bin", "src.bin"}));  // no stray file
}

TEST(FileCopyFeedBk, IntoAFolderTakesTheSourceName) {
  testsupport::TempDir dir;
  dir.write("a.txt", "abc");
  fs::create_directory(dir.path() / "sub");
  EXPECT_EQ(FileCopyFeedBk(P(dir, "a.txt"), P(dir, "sub"), true), 0);
  EXPECT_EQ(dir.read("sub/a.txt"), "abc");
  EXPECT_EQ(fs::last_write_time(dir.path() / "a.txt"),
            fs::last_write_time(dir.path() / "sub/a.txt"));
}

TEST(FileCopyFeedBk, NeverEmptiesTheSourceByCopyingOntoIt) {
  testsupport::TempDir dir;
  dir.write("a.txt", "precious");
  EXPECT_EQ(FileCopyFeedBk(P(dir, "a.txt"), P(dir, "a.txt"), false), -2);
  // The destination folder is the source's own folder: the same file again.
  EXPECT_EQ(FileCopyFeedBk(P(dir, "a.txt"), dir.path().string(), false), -2);
  fs::create_hard_link(dir.path() / "a.txt", dir.path() / "link.txt");
  EXPECT_EQ(FileCopyFeedBk(P(dir, "a.txt"), P(dir, "link.txt"), false), -2);
  EXPECT_EQ(dir.read("a.txt"), "precious");
}

TEST(FileCopyFeedBk, AnAbortedCopyLeavesTheOldDestination) {
  testsupport::TempDir dir;
  dir.write("big.bin", std::string(5 * 8192, 'n'));
  dir.write("old.bin", "old content");
  const Integer status =
      FileCopyFeedBk(P(dir, "big.bin"), P(dir, "old.bin"), true, [](Integer b, Integer) {
        if (b >= 8192) AbortAnyFileCopying();
      });
  EXPECT_EQ(status, fcAborted);
  EXPECT_EQ(dir.read("old.bin"), "old content");
  EXPECT_EQ(Names(dir.path()), (std::vector<String>{"big.bin", "old.bin"}));
  // The next copy starts with the flag cleared.
  EXPECT_EQ(FileCopyFeedBk(P(dir, "big.bin"), P(dir, "new.bin"), false), 0);
}

TEST(FileCopyFeedBk, MissingSourceAndUncreatableDestination) {
  testsupport::TempDir dir;
  EXPECT_THROW(FileCopyFeedBk(P(dir, "none"), P(dir, "x"), false), EInOutError);
  EXPECT_FALSE(fs::exists(dir.path() / "x"));
  dir.write("a.txt", "a");
  EXPECT_EQ(FileCopyFeedBk(P(dir, "a.txt"), P(dir, "no/such/folder/a.txt"), false), -2);
}

TEST(CopyFileTree, CopiesTheTreeWithFeedback) {
  testsupport::TempDir dir;
  dir.write("src/a.txt", "A");
  dir.write("src/sub/b.txt", "BB");
  dir.write("src/.hidden", "h");
  std::vector<String> names;
  CopyFileTree(P(dir, "src"), P(dir, "dst"), false,
               [&](Integer, Integer, const String& name, Integer) {
                 if (names.empty() || names.back() != name) names.push_back(name);
               });
  EXPECT_EQ(dir.read("dst/a.txt"), "A");
  EXPECT_EQ(dir.read("dst/sub/b.txt"), "BB");
  EXPECT_EQ(dir.read("dst/.hidden"), "h");
  EXPECT_EQ(names.size(), 3u);
}

TEST(CopyFileTree, RefusesTheSameFolderAndOneInsideTheSource) {
  testsupport::TempDir dir;
  dir.write("src/a.txt", "A");
  CopyFileTree(P(dir, "src"), P(dir, "SRC"), false);  // differs only in case
  EXPECT_FALSE(fs::exists(dir.path() / "SRC"));
  CopyFileTree(P(dir, "src"), P(dir, "src/inner"), false);
  EXPECT_FALSE(fs::exists(dir.path() / "src/inner"));
  CopyFileTree(P(dir, "src"), P(dir, "src/../src/"), false);
  EXPECT_EQ(Names(dir.path() / "src"), std::vector<String>{"a.txt"});
}

TEST(DelDirTree, DeletesTreesButNotReadOnlyFilesOrLinkTargets) {
  testsupport::TempDir dir;
  dir.write("keep/k.txt", "k");
  dir.write("tree/a.txt", "a");
  dir.write("tree/sub/b.txt", "b");
  fs::create_directory_symlink(dir.path() / "keep", dir.path() / "tree/link");
  EXPECT_EQ(DelDirTree(P(dir, "tree")), "");
  EXPECT_FALSE(fs::exists(dir.path() / "tree"));
  EXPECT_EQ(dir.read("keep/k.txt"), "k");

  dir.write("ro/r.txt", "r");
  ::chmod(P(dir, "ro/r.txt").c_str(), 0444);
  EXPECT_EQ(DelDirTree(P(dir, "ro")), P(dir, "ro/r.txt"));
  EXPECT_TRUE(fs::exists(dir.path() / "ro/r.txt"));
  EXPECT_EQ(DelDirTree(P(dir, "gone")), P(dir, "gone") + "/");
  EXPECT_EQ(DelDirTree(""), "");
}

TEST(DeleteFiles, ByMaskSkippingHiddenFilesAndFolders) {
  testsupport::TempDir dir;
  dir.write("a.TXT", "");
  dir.write("b.txt", "");
  dir.write("c.csv", "");
  dir.write(".d.txt", "");
  fs::create_directory(dir.path() / "e.txt");
  EXPECT_EQ(DeleteFiles(P(dir, "*.txt")), 2);
  EXPECT_EQ(Names(dir.path()), (std::vector<String>{".d.txt", "c.csv", "e.txt"}));
}

TEST(MoveToRecycleBin, MovesIntoTheUsersTrash) {
  testsupport::TempDir dir;
  const char* old = std::getenv("XDG_DATA_HOME");
  const String saved = old != nullptr ? old : "";
  setenv("XDG_DATA_HOME", P(dir, "data").c_str(), 1);
  dir.write("work/a.txt", "1");
  dir.write("work/b.txt", "2");
  EXPECT_EQ(MoveToRecycleBin(P(dir, "work/a.txt")), 1);
  dir.write("work/a.txt", "3");  // a second file of the same name keeps the first
  EXPECT_EQ(MoveToRecycleBin(P(dir, "work/*.txt")), 2);
  EXPECT_TRUE(fs::is_empty(dir.path() / "work"));
  EXPECT_EQ(Names(dir.path() / "data/Trash/files"),
            (std::vector<String>{"a.txt", "a.txt.2", "b.txt"}));
  const std::string info = dir.read("data/Trash/info/a.txt.trashinfo");
  EXPECT_NE(info.find("Path=" + P(dir, "work/a.txt")), std::string::npos) << info;
  if (old != nullptr)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

TEST(SetAllFilenameCase, RenamesAndDescendsButNeverReplaces) {
  testsupport::TempDir dir;
  dir.write("Sub/Inner.Txt", "i");
  dir.write("Top.txt", "t");
  SetAllFilenameCase(P(dir, "*.*"), false);
  EXPECT_EQ(Names(dir.path()), (std::vector<String>{"sub", "top.txt"}));
  EXPECT_EQ(Names(dir.path() / "sub"), std::vector<String>{"inner.txt"});

  dir.write("x.txt", "lower");
  dir.write("X.TXT", "upper");
  EXPECT_THROW(SetAllFilenameCase(P(dir, "x.txt"), true), EInOutError);
  EXPECT_EQ(dir.read("X.TXT"), "upper");
  EXPECT_EQ(dir.read("x.txt"), "lower");
}

TEST(ScanFiles, ListsAndCountsByMask) {
  testsupport::TempDir dir;
  dir.write("a.txt", "");
  dir.write("B.TXT", "");
  dir.write("c.csv", "");
  dir.write("sub/d.txt", "");
  dir.write(".hid/e.txt", "");
  const String base = dir.path().string() + "/";
  TStringList list;
  list.Add("kept");
  std::vector<String> folders;
  ScanFilesToStrList(base + "*.txt", true, &list,
                     [&](const String& folder, Integer) { folders.push_back(folder); });
  std::vector<String> got;
  for (int i = 0; i < list.Count(); ++i) got.push_back(list[i]);
  std::sort(got.begin() + 1, got.end());
  EXPECT_EQ(got, (std::vector<String>{"kept", base + "B.TXT", base + "a.txt", base + "sub/d.txt"}));
  EXPECT_EQ(folders, (std::vector<String>{base, base + "sub/"}));
  EXPECT_EQ(CountFiles(base + "*.txt", false), 2);
  EXPECT_EQ(CountFiles(base + "*.*", true), 4);

  int calls = 0;
  TStringList none;
  ScanFilesToStrList(base + "missing/*.txt", true, &none, [&](const String&, Integer) { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(none.Count(), 0);
}

TEST(FileDetect, FindsBelowAFolder) {
  testsupport::TempDir dir;
  dir.write("one/two/Target.dat", "");
  const String base = dir.path().string() + "/";
  EXPECT_EQ(FileDetect(base + "target.dat"), base + "one/two/Target.dat");
  EXPECT_EQ(FileDetect(base + "none.dat"), "");
}

TEST(EnsureCRLFInFile, PutsALineFeedBehindEveryCarriageReturn) {
  testsupport::TempDir dir;
  const std::pair<std::string, std::string> cases[] = {{"\rx\r\r", "\r\nx\r\n\r\n"},
                                                       {"x\n", "x\n"},
                                                       {"a\r\nb\r", "a\r\nb\r\n"},
                                                       {"a\rb\x1A"
                                                        "c",
                                                        "a\r\nb"}};
  for (const auto& [in, want] : cases) {
    dir.write("in.txt", in);
    EnsureCRLFInFile(P(dir, "in.txt"), P(dir, "out.txt"));
    EXPECT_EQ(dir.read("out.txt"), want);
  }
  EXPECT_THROW(EnsureCRLFInFile(P(dir, "none.txt"), P(dir, "out.txt")), EInOutError);
}

}  // namespace
