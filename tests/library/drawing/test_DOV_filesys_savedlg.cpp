#include <gtest/gtest.h>

#include "DOV_filesys_savedlg.h"
#include "Dialogs.h"
#include "TestSupport.h"

namespace {

constexpr Integer OK = 1, Cancel = 2, Yes = 6, No = 7;

TEST(TUnivSaveDialog, StandardDialogFromParameters) {
  TScopedDialogScript dialogs;
  TUnivSaveDialog d(nullptr);
  d.Parameters =
      "filter=\"Text|*.txt|CSV|*.csv|Lonely\" ext=\"csv\" caption=\"Save table\" "
      "initialdir=\"/tmp\"";
  d.FilterIndex = 2;
  d.FileName = "start.txt";
  dialogs->AnswerSave(String("/nowhere/data.txt"), 1);
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, "/nowhere/data.csv");
  EXPECT_EQ(d.FilterIndex, 1);
  ASSERT_EQ(dialogs->Records.size(), 1u);
  const TSaveDialogRequest& r = dialogs->Records[0].Save;
  EXPECT_EQ(r.Filter, "Text|*.txt|CSV|*.csv");  // the unpaired third item is left out
  EXPECT_EQ(r.Title, "Save table");
  EXPECT_EQ(r.InitialDir, "/tmp");
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(r.FileName, "start.txt");
  ASSERT_TRUE(r.OnTypeChange);
  EXPECT_EQ(r.OnTypeChange(2, "/x/report.txt"), "report.csv");

  d.Parameters = "";
  dialogs->AnswerSave(String("/nowhere/data.txt"));
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, "/nowhere/data.txt");  // no ext: the name stays as chosen
  EXPECT_FALSE(d.Execute());                   // an unscripted dialog is a cancel
}

TEST(TUnivSaveDialog, FileTypeChangeRenamesTheOfferedName) {
  EXPECT_EQ(FileNameForFileType("*.csv", "c:\\x\\data.txt"), "data.csv");
  EXPECT_EQ(FileNameForFileType("*.csv", "data"), "data.csv");
  EXPECT_EQ(FileNameForFileType("*.*", "data.txt"), "");
  EXPECT_EQ(FileNameForFileType("*.csv", ""), "");
}

TEST(TUnivSaveDialog, ForbiddenFolders) {
  TUnivSaveDialog d(nullptr);
  d.UseStandardDialog = false;
  std::vector<String> names = {"c:\\windows\\system32\\a.txt", "d:\\data\\a.txt"};
  size_t next = 0;
  d.OnFileSelect = [&](TObject*, const String&, Integer& action, String& name) {
    action = OK;
    name = names[std::min(next++, names.size() - 1)];
  };
  d.ForbiddenDir = "C:\\Windows";
  std::vector<String> asked;
  d.OnForbiddenDir = [&](TObject*, const String& path, Integer& reply) {
    asked.push_back(path);
    reply = No;  // choose again
  };
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, "d:\\data\\a.txt");
  EXPECT_EQ(asked, std::vector<String>{"c:\\windows\\system32\\"});

  next = 0;
  d.OnForbiddenDir = [](TObject*, const String&, Integer& reply) { reply = Cancel; };
  EXPECT_FALSE(d.Execute());
  next = 0;
  d.OnForbiddenDir = nullptr;  // unassigned: the preset Yes accepts it
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, names[0]);
  next = 0;
  d.ForbiddenDir = "";
  ASSERT_TRUE(d.Execute());
}

TEST(TUnivSaveDialog, OverwriteLoop) {
  TUnivSaveDialog d(nullptr);
  d.SetName("Save1");
  d.UseStandardDialog = false;
  int selections = 0;
  d.OnFileSelect = [&](TObject*, const String&, Integer& action, String& name) {
    ++selections;
    action = OK;
    name = selections < 3 ? "exists.txt" : "new.txt";
  };
  d.OnFileCheck = [](TObject*, const String& name, bool& exists) { exists = name == "exists.txt"; };
  std::vector<Integer> replies = {No, No};
  d.OnOverwrite = [&](TObject*, const String&, Integer& reply) {
    EXPECT_EQ(reply, No);  // preset
    reply = replies.front();
    replies.erase(replies.begin());
  };
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, "new.txt");
  EXPECT_EQ(selections, 3);

  selections = 0;
  replies = {Yes};
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName, "exists.txt");
  selections = 0;
  replies = {Cancel};
  EXPECT_FALSE(d.Execute());
  selections = 0;
  replies = {OK};
  try {
    d.Execute();
    FAIL();
  } catch (const ESDLFileSysError& e) {
    EXPECT_EQ(e.Message, "Component \"Save1\": Invalid reply argument from overwrite dialog");
  }
  selections = 0;
  d.OnOverwrite = nullptr;
  try {
    d.Execute();
    FAIL();
  } catch (const ESDLFileSysError& e) {
    EXPECT_EQ(e.Message, "Component \"Save1\": Overwrite dialog is not assigned");
  }
  d.OnFileSelect = nullptr;
  try {
    d.Execute();
    FAIL();
  } catch (const ESDLFileSysError& e) {
    EXPECT_EQ(e.Message, "Component \"Save1\": File select dialog is not assigned");
  }
  d.OnFileSelect = [](TObject*, const String&, Integer& action, String&) { action = Cancel; };
  EXPECT_FALSE(d.Execute());
}

TEST(TUnivSaveDialog, StandardDialogAsksBeforeReplacingAFile) {
  testsupport::TempDir dir;
  dir.write("old.txt", "x");
  TScopedDialogScript dialogs;
  TUnivSaveDialog d(nullptr);
  int asked = 0;
  d.OnOverwrite = [&](TObject*, const String&, Integer& reply) {
    ++asked;
    reply = Yes;
  };
  dialogs->AnswerSave((dir.path() / "old.txt").string());
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(asked, 1);
}

TEST(TUnivSaveDialog, ParametersAsValues) {
  TUnivSaveDialog d(nullptr);
  d.SetName("S");
  d.Parameters = "count=\"12\" ratio=\"2,5e1\" name=plain empty=\"\"";
  EXPECT_EQ(d.ExtractParamAsString("NAME"), "plain");
  EXPECT_EQ(d.ExtractParamAsString("missing"), "");
  EXPECT_EQ(d.ExtractParamAsInt("count"), 12);
  EXPECT_DOUBLE_EQ(d.ExtractParamAsDouble("ratio"), 25);
  try {
    d.ExtractParamAsInt("empty");
    FAIL();
  } catch (const ESDLFileSysError& e) {
    EXPECT_EQ(e.Message, "Component \"S\": empty is not specified in property Parameters");
  }
  EXPECT_THROW(d.ExtractParamAsDouble("missing"), ESDLFileSysError);
}

}  // namespace
