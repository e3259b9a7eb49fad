// The dialog service: what every kind of box asks for, scripted answers, the save dialog.
#include <gtest/gtest.h>

#include "Dialogs.h"
#include "Forms.h"

namespace {

struct TitleFixture : ::testing::Test {
  void SetUp() override { Application->SetTitle("Kestal"); }
  void TearDown() override { Application->SetTitle(""); }
  TScopedDialogScript dialogs;
};

using Boxes = TitleFixture;

TEST_F(Boxes, ShowMessageIsOneOkButtonUnderTheApplicationTitle) {
  ShowMessage("ERROR: Please use . as decimal separator");
  const auto boxes = dialogs->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  const TMessageBoxRequest& b = boxes[0];
  EXPECT_EQ(b.Kind, TDialogKind::Message);
  EXPECT_EQ(b.Title, "Kestal");
  EXPECT_EQ(b.Text, "ERROR: Please use . as decimal separator");
  EXPECT_EQ(b.Buttons, std::vector<int>{IDOK});
  EXPECT_EQ(b.DefaultButton, IDOK);
}

struct FlagsCase {
  unsigned flags;
  std::vector<int> buttons;
  int defaultButton;
  TMsgDlgType icon;
};

class MessageBoxFlags : public TitleFixture, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(MessageBoxFlags, GiveTheButtonsAndTheDefault) {
  const FlagsCase& c = GetParam();
  // Unscripted, a box answers with its default button.
  EXPECT_EQ(MessageBox("Are you sure ?", "Pls confirm", c.flags), c.defaultButton);
  const auto boxes = dialogs->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  const TMessageBoxRequest& b = boxes[0];
  EXPECT_EQ(b.Kind, TDialogKind::MessageBox);
  EXPECT_EQ(b.Title, "Pls confirm");
  EXPECT_EQ(b.Text, "Are you sure ?");
  EXPECT_EQ(b.Buttons, c.buttons);
  EXPECT_EQ(b.DefaultButton, c.defaultButton);
  EXPECT_EQ(b.Icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageBoxFlags,
    ::testing::Values(
        FlagsCase{MB_OK, {IDOK}, IDOK, mtCustom},
        FlagsCase{MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, mtCustom},
        FlagsCase{MB_YESNO, {IDYES, IDNO}, IDYES, mtCustom},
        FlagsCase{MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, {IDYES, IDNO}, IDNO, mtConfirmation},
        FlagsCase{MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDYES, mtCustom},
        FlagsCase{MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONWARNING,
                  {IDYES, IDNO, IDCANCEL},
                  IDCANCEL,
                  mtWarning},
        // A default beyond the buttons falls on the last one.
        FlagsCase{MB_YESNO | MB_DEFBUTTON3, {IDYES, IDNO}, IDNO, mtCustom}));

TEST_F(Boxes, ScriptedAnswersComeInOrder) {
  dialogs->Answer(IDNO);
  dialogs->Answer(IDYES);
  EXPECT_EQ(MessageBox("first", "Pls confirm", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(Application->MessageBox("second", "Update ATNF catalogue", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBox("third", "test title", MB_YESNOCANCEL), IDYES)
      << "script empty: the default";
  ASSERT_EQ(dialogs->Boxes().size(), 3u);
  EXPECT_EQ(dialogs->Boxes()[1].Title, "Update ATNF catalogue");
}

TEST_F(Boxes, MessageDlgUsesTheApplicationTitleAndTheChosenDefault) {
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbYes | mbNo), mrYes);
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbYes | mbNo | mbCancel, 0, mbNo), mrNo);
  const auto boxes = dialogs->Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Title, "Kestal");
  EXPECT_EQ(boxes[0].Buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(boxes[1].Buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(boxes[1].DefaultButton, IDNO);
}

TEST_F(Boxes, TheErrorBoxOfAnExceptionGoesThroughTheSameService) {
  Application->HandleException(
      std::make_exception_ptr(EConvertError("'1,5' is not a valid floating point value")));
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Kind, TDialogKind::Error);
  EXPECT_EQ(dialogs->Boxes()[0].Title, "Kestal");
  EXPECT_EQ(dialogs->Boxes()[0].Text, "'1,5' is not a valid floating point value");
}

TEST_F(Boxes, ABoxMayBeInspectedWhileItIsOpen) {
  String seen;
  dialogs->OnBox = [&](const TMessageBoxRequest& R) { seen = R.Text; };
  ShowMessage("notice");
  EXPECT_EQ(seen, "notice");
}

TEST(DialogScripts, NestedScriptsRestoreTheServiceBefore) {
  TScopedDialogScript outer;
  {
    TScopedDialogScript inner;
    ShowMessage("to the inner");
    EXPECT_EQ(inner->Boxes().size(), 1u);
  }
  ShowMessage("to the outer");
  ASSERT_EQ(outer->Boxes().size(), 1u);
  EXPECT_EQ(outer->Boxes()[0].Text, "to the outer");
}

TEST(SaveDialog, AsksWithItsSettingsAndAddsTheDefaultExtension) {
  TScopedDialogScript dialogs;
  TSaveDialog dlg(nullptr);
  dlg.Title = "Export";
  dlg.Filter = "CSV files (*.csv)|*.csv|All files|*.*";
  dlg.FilterIndex = 1;
  dlg.FileName = "121024.csv";
  dlg.InitialDir = "/tmp";
  dlg.DefaultExt = "csv";

  dialogs->AnswerSave(std::nullopt);
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "121024.csv") << "cancel leaves the name";

  dialogs->AnswerSave(String("/data/noise"), 2);
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/data/noise.csv");
  EXPECT_EQ(dlg.FilterIndex, 2);

  dialogs->AnswerSave(String("/data.v2/noise.txt"));
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/data.v2/noise.txt") << "a name with its own extension is kept";

  dialogs->AnswerSave(String("/data.v2/noise"));
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/data.v2/noise.csv") << "a dot in a folder name is no extension";

  ASSERT_EQ(dialogs->Records.size(), 4u);
  const TSaveDialogRequest& r = dialogs->Records[0].Save;
  EXPECT_TRUE(dialogs->Records[0].IsSaveDialog);
  EXPECT_EQ(r.Title, "Export");
  EXPECT_EQ(r.Filter, "CSV files (*.csv)|*.csv|All files|*.*");
  EXPECT_EQ(r.FilterIndex, 1);
  EXPECT_EQ(r.FileName, "121024.csv");
  EXPECT_EQ(r.InitialDir, "/tmp");
  EXPECT_TRUE(dialogs->Boxes().empty());
}

TEST(SaveDialog, UnscriptedItIsCancelled) {
  TScopedDialogScript dialogs;
  TSaveDialog dlg(nullptr);
  EXPECT_FALSE(dlg.Execute());
}

}  // namespace
