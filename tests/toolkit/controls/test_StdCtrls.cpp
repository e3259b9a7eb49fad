// Event rules of the standard controls: which actions fire which events, and how often.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <QWidget>

#include <functional>
#include <map>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "support_ui.h"

namespace {

// A window with one control of each kind; every event counts itself by name.
struct Window {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TEdit* edit = new TEdit(form.get());
  TRadioButton* radioA = new TRadioButton(form.get());
  TRadioButton* radioB = new TRadioButton(form.get());
  TPanel* panel = new TPanel(form.get());
  TRadioButton* radioOnPanel = new TRadioButton(form.get());
  TCheckBox* check = new TCheckBox(form.get());
  TListBox* list = new TListBox(form.get());
  TComboBox* combo = new TComboBox(form.get());
  TButton* button = new TButton(form.get());
  std::map<String, int> fired;

  Window() {
    for (TControl* c :
         std::initializer_list<TControl*>{edit, radioA, radioB, panel, check, list, combo, button})
      c->SetParent(form.get());
    radioOnPanel->SetParent(panel);
    radioA->SetBounds(10, 40, 100, 20);
    radioB->SetBounds(10, 60, 100, 20);
    list->SetBounds(200, 10, 120, 100);
    combo->SetStyle(csDropDownList);
    for (const char* s : {"one", "two", "three"}) {
      list->Items()->Add(s);
      combo->Items()->Add(s);
    }
    edit->SetText("start");
    radioA->SetChecked(true);
    radioOnPanel->SetChecked(true);
    list->SetItemIndex(0);
    combo->SetItemIndex(0);
    auto count = [this](const char* n) { return [this, n](TObject*) { ++fired[n]; }; };
    edit->OnChange = count("edit");
    radioA->OnClick = count("radioA");
    radioB->OnClick = count("radioB");
    radioOnPanel->OnClick = count("radioOnPanel");
    check->OnClick = count("check");
    list->OnClick = count("list");
    combo->OnChange = count("combo");
    button->OnClick = count("button");
    form->Show();
  }
  QPoint ListItemCenter(int Row) const {
    auto* l = static_cast<QListWidget*>(list->Handle());
    return l->visualItemRect(l->item(Row)).center();
  }
  QWidget* ListViewport() const { return static_cast<QListWidget*>(list->Handle())->viewport(); }
};

// Radio buttons and check boxes answer clicks on their indicator.
void Toggle(const TControl* C) { ui::Click(ui::W(C), QPoint(6, C->Height() / 2)); }

struct EventCase {
  const char* rule;
  std::function<void(Window&)> act;
  std::map<String, int> expected;  // events not named must not fire
};

void PrintTo(const EventCase& C, std::ostream* Os) { *Os << C.rule; }

class EventRules : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventRules, FireExactlyAsTheToolkitDoes) {
  Window w;
  GetParam().act(w);
  std::map<String, int> got;
  for (const auto& [name, n] : w.fired)
    if (n != 0) got[name] = n;
  EXPECT_EQ(got, GetParam().expected) << GetParam().rule;
}

const EventCase kCases[] = {
    {"edit: code sets another text", [](Window& w) { w.edit->SetText("new"); }, {{"edit", 1}}},
    {"edit: code sets the same text", [](Window& w) { w.edit->SetText("start"); }, {}},
    {"edit: user types two characters",
     [](Window& w) { ui::Type(ui::W(w.edit), "ab"); },
     {{"edit", 2}}},
    {"edit: user presses backspace",
     [](Window& w) { ui::Key(ui::W(w.edit), Qt::Key_Backspace); },
     {{"edit", 1}}},
    {"radio: code checks an unchecked button",
     [](Window& w) { w.radioB->SetChecked(true); },
     {{"radioB", 1}}},
    {"radio: code checks the checked button", [](Window& w) { w.radioA->SetChecked(true); }, {}},
    {"radio: code unchecks a button", [](Window& w) { w.radioA->SetChecked(false); }, {}},
    {"radio: user clicks an unchecked button",
     [](Window& w) { Toggle(w.radioB); },
     {{"radioB", 1}}},
    {"radio: user clicks the checked button", [](Window& w) { Toggle(w.radioA); }, {}},
    {"check box: code changes the state",
     [](Window& w) { w.check->SetChecked(true); },
     {{"check", 1}}},
    {"check box: code sets the same state", [](Window& w) { w.check->SetChecked(false); }, {}},
    {"check box: user clicks", [](Window& w) { Toggle(w.check); }, {{"check", 1}}},
    {"list box: code sets ItemIndex", [](Window& w) { w.list->SetItemIndex(2); }, {}},
    {"list box: code refills the items",
     [](Window& w) {
       w.list->Clear();
       w.list->Items()->Add("x");
       w.list->Items()->Add("y");
       w.list->SetItemIndex(1);
     },
     {}},
    {"list box: user clicks another item",
     [](Window& w) { ui::Click(w.ListViewport(), w.ListItemCenter(1)); },
     {{"list", 1}}},
    {"list box: user clicks the selected item",
     [](Window& w) { ui::Click(w.ListViewport(), w.ListItemCenter(0)); },
     {{"list", 1}}},
    {"list box: focus enters a list with no current item",
     [](Window& w) {
       w.list->SetItemIndex(-1);
       w.list->SetFocus();
       ui::Pump(20);
       EXPECT_EQ(w.list->ItemIndex(), -1);
     },
     {}},
    {"list box: user moves down with the keyboard",
     [](Window& w) { ui::Key(ui::W(w.list), Qt::Key_Down); },
     {{"list", 1}}},
    {"combo box: code sets ItemIndex", [](Window& w) { w.combo->SetItemIndex(2); }, {}},
    {"combo box: code refills the items",
     [](Window& w) {
       w.combo->Items()->Clear();
       w.combo->Items()->Add("a");
       w.combo->SetItemIndex(0);
     },
     {}},
    {"combo box: user picks the next item",
     [](Window& w) { ui::Key(ui::W(w.combo), Qt::Key_Down); },
     {{"combo", 1}}},
    {"button: code calls Click", [](Window& w) { w.button->Click(); }, {{"button", 1}}},
    {"button: user clicks", [](Window& w) { ui::Click(ui::W(w.button)); }, {{"button", 1}}},
    {"button: user clicks a disabled button",
     [](Window& w) {
       w.button->SetEnabled(false);
       ui::Click(ui::W(w.button));
     },
     {}},
};

INSTANTIATE_TEST_SUITE_P(Controls, EventRules, ::testing::ValuesIn(kCases));

TEST(RadioButtons, CheckingOneUnchecksItsSiblingsOnly) {
  Window w;
  w.radioB->SetChecked(true);
  EXPECT_FALSE(w.radioA->Checked());
  EXPECT_TRUE(w.radioB->Checked());
  EXPECT_TRUE(w.radioOnPanel->Checked()) << "a radio button on another parent keeps its check";
  Toggle(w.radioA);
  EXPECT_TRUE(w.radioA->Checked());
  EXPECT_FALSE(w.radioB->Checked());
  EXPECT_TRUE(w.radioOnPanel->Checked());
}

TEST(RadioButtons, OnClickSeesTheNewState) {
  Window w;
  bool sawChecked = false, sawSiblingCleared = false;
  w.radioB->OnClick = [&](TObject*) {
    sawChecked = w.radioB->Checked();
    sawSiblingCleared = !w.radioA->Checked();
  };
  w.radioB->SetChecked(true);
  EXPECT_TRUE(sawChecked);
  EXPECT_TRUE(sawSiblingCleared);
}

TEST(Edit, OnChangeSeesTheNewTextAndCodeMayExceedMaxLength) {
  Window w;
  String seen;
  w.edit->OnChange = [&](TObject*) { seen = w.edit->Text(); };
  w.edit->SetMaxLength(3);
  w.edit->SetText("Enter note here");
  EXPECT_EQ(w.edit->Text(), "Enter note here");
  EXPECT_EQ(seen, "Enter note here");
  w.edit->SetText("");
  ui::Type(ui::W(w.edit), "abcde");
  EXPECT_EQ(w.edit->Text(), "abc") << "typing stops at MaxLength";
}

TEST(Edit, KeyPressCanDropOrReplaceATypedCharacter) {
  Window w;
  std::vector<wchar_t> keys;
  w.edit->SetText("");
  w.edit->OnKeyPress = [&](TObject*, wchar_t& Key) {
    keys.push_back(Key);
    if (Key == L'x') Key = 0;
    if (Key == L'a') Key = L'b';
  };
  ui::Type(ui::W(w.edit), "1x2a");
  EXPECT_EQ(w.edit->Text(), "12b");
  ui::Key(ui::W(w.edit), Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  ui::Key(ui::W(w.edit), Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  ASSERT_EQ(keys.size(), 6u);
  EXPECT_EQ(keys[4], 22) << "Ctrl+V reaches OnKeyPress as a control character";
  EXPECT_EQ(keys[5], 8);
}

TEST(Edit, ExitFiresWhenFocusMovesToAnotherControl) {
  Window w;
  int exits = 0;
  w.edit->OnExit = [&](TObject*) { ++exits; };
  ui::Pump(20);
  w.edit->SetFocus();
  ui::Pump(20);
  ASSERT_TRUE(w.edit->Focused());
  w.button->SetFocus();
  ui::Pump(20);
  EXPECT_TRUE(w.button->Focused());
  EXPECT_EQ(exits, 1);
}

TEST(ListBox, ItemIndexFollowsTheUserAndBoundsAreChecked) {
  Window w;
  ui::Click(w.ListViewport(), w.ListItemCenter(2));
  EXPECT_EQ(w.list->ItemIndex(), 2);
  w.list->Clear();
  EXPECT_EQ(w.list->ItemIndex(), -1);
  EXPECT_THROW(w.list->SetItemIndex(3), EListError);
}

TEST(ComboBox, DropDownListShowsAHintTextUntilAChoice) {
  Window w;
  w.combo->SetText("Select");
  EXPECT_EQ(w.combo->ItemIndex(), -1);
  EXPECT_EQ(w.combo->Text(), "Select");
  w.combo->SetText("two");
  EXPECT_EQ(w.combo->ItemIndex(), 1);
  EXPECT_EQ(w.combo->Text(), "two");
}

TEST(ComboBox, FillingAnEmptyBoxSelectsNothingAndKeepsATypedText) {
  TForm f(nullptr);
  auto* list = new TComboBox(&f);
  auto* typed = new TComboBox(&f);
  list->SetParent(&f);
  typed->SetParent(&f);
  list->SetStyle(csDropDownList);
  typed->SetText("my own");
  for (TComboBox* c : {list, typed}) {
    c->Items()->Add("> 6");
    c->Items()->Add("> 8");
    EXPECT_EQ(c->ItemIndex(), -1);
  }
  EXPECT_EQ(typed->Text(), "my own");
  // Setting the style again does not double the change events of typing.
  int changes = 0;
  typed->OnChange = [&](TObject*) { ++changes; };
  typed->SetStyle(csDropDown);
  typed->SetStyle(csDropDown);
  f.Show();
  ui::Type(typed->Handle()->focusProxy() ? typed->Handle()->focusProxy() : typed->Handle(), "x");
  EXPECT_EQ(changes, 1);
  f.Hide();
}

TEST(Label, AutoSizeFollowsTheCaption) {
  Window w;
  auto* l = new TLabel(w.form.get());
  l->SetParent(w.form.get());
  l->SetCaption("short");
  const int narrow = l->Width();
  l->SetCaption("a much longer caption than before");
  EXPECT_GT(l->Width(), narrow);
  const int oneLine = l->Height();
  l->SetCaption("two\nlines");
  EXPECT_GT(l->Height(), oneLine);
}

// A handler that throws during a user action shows the standard error box and the program
// goes on; called from code, the exception reaches the caller.
TEST(Exceptions, FromAUserActionGoToTheErrorBox) {
  Window w;
  TScopedDialogScript dialogs;
  w.button->OnClick = [](TObject*) {
    throw EConvertError("'x' is not a valid floating point value");
  };
  ui::Click(ui::W(w.button));
  auto boxes = dialogs->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Kind, TDialogKind::Error);
  EXPECT_EQ(boxes[0].Text, "'x' is not a valid floating point value");
  EXPECT_EQ(boxes[0].Buttons, std::vector<int>{IDOK});
  // The window still works.
  int clicks = 0;
  w.button->OnClick = [&](TObject*) { ++clicks; };
  ui::Click(ui::W(w.button));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dialogs->Boxes().size(), 1u);
}

TEST(Exceptions, FromCodeReachTheCaller) {
  Window w;
  TScopedDialogScript dialogs;
  w.edit->OnChange = [](TObject*) { throw Exception("bad"); };
  EXPECT_THROW(w.edit->SetText("other"), Exception);
  EXPECT_NO_THROW(w.button->Click());
}

TEST(Exceptions, AbortIsSilentAndOtherExceptionsShowTheirText) {
  Window w;
  TScopedDialogScript dialogs;
  w.button->OnClick = [](TObject*) { throw EAbort(""); };
  ui::Click(ui::W(w.button));
  EXPECT_TRUE(dialogs->Boxes().empty());
  w.button->OnClick = [](TObject*) { throw std::runtime_error("out of range"); };
  ui::Click(ui::W(w.button));
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Text, "out of range");
}

}  // namespace

// Display-only fields are disabled edits whose figures must stay readable; a disabled button
// must still look disabled, also when its description sets a font.
TEST(DisabledControls, EditsKeepTheirTextColourButtonsTurnGrey) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  auto* button = new TButton(&form);
  button->SetParent(&form);
  button->Font()->SetStyle({fsBold});
  edit->SetEnabled(false);
  button->SetEnabled(false);
  const QPalette fieldColours = edit->Handle()->palette();
  EXPECT_EQ(fieldColours.color(QPalette::Disabled, QPalette::Text),
            fieldColours.color(QPalette::Active, QPalette::Text));
  const QPalette buttonColours = button->Handle()->palette();
  EXPECT_NE(buttonColours.color(QPalette::Disabled, QPalette::ButtonText),
            buttonColours.color(QPalette::Active, QPalette::ButtonText));
  EXPECT_EQ(buttonColours.color(QPalette::Active, QPalette::ButtonText), QColor(0, 0, 0));
  EXPECT_FALSE(edit->Handle()->isEnabled());
}

// A numbers-only edit judges a text (typed, pasted or set) exactly as the expression [0-9]*
// over the whole text would: other scripts' digits, signs and points are no digits 0 to 9.
TEST(Edit, NumbersOnlyJudgesATextAsTheDigitsExpressionWould) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetNumbersOnly(true);
  const QValidator* judge = static_cast<QLineEdit*>(edit->Handle())->validator();
  ASSERT_NE(judge, nullptr);
  const QRegularExpressionValidator expression(QRegularExpression(QStringLiteral("[0-9]*")));
  const QString texts[] = {QString(),
                           QStringLiteral("0"),
                           QStringLiteral("0123456789"),
                           QStringLiteral("12a"),
                           QStringLiteral("a12"),
                           QStringLiteral(" 1"),
                           QStringLiteral("1 "),
                           QStringLiteral("-1"),
                           QStringLiteral("+1"),
                           QStringLiteral("1.5"),
                           QStringLiteral("1,5"),
                           QStringLiteral("1e3"),
                           QStringLiteral("/:"),
                           QString::fromUtf8("\u0661\u0662"),          // Arabic-Indic digits
                           QString::fromUtf8("\uFF11"),                // a full-width one
                           QString::fromUtf8("\u00BD"),                // one half
                           QString::fromUtf8("\u00B2"),                // superscript two
                           QString::fromUcs4(U"7\U0001D7CE", 2),       // a mathematical digit
                           QString(QChar(0xD835)) + QLatin1Char('1'),  // a lone surrogate
                           QStringLiteral("12\n3")};
  for (const QString& t : texts) {
    QString mine = t, theirs = t;
    int myPos = 1, theirPos = 1;
    EXPECT_EQ(judge->validate(mine, myPos), expression.validate(theirs, theirPos))
        << t.toStdString();
    EXPECT_EQ(myPos, theirPos) << t.toStdString();
    EXPECT_EQ(mine, theirs);
  }
}

// A disabled field shows the text colour of the parent it took its colours from, whichever of
// several parents (with their own text colours, changed in between) it is on.
TEST(DisabledControls, FieldsTakeTheTextColourOfTheirOwnParent) {
  TForm form(nullptr);
  auto* plain = new TPanel(&form);
  plain->SetParent(&form);
  auto* coloured = new TPanel(&form);
  coloured->SetParent(&form);
  coloured->Font()->SetColor(clRed);
  const QColor plainText = plain->Handle()->palette().color(QPalette::Active, QPalette::Text);
  struct Step {
    TWinControl* parent;
    TColor recolour;  // the parent's new font colour first, or clNone
    QColor text;
  };
  const Step steps[] = {{&form, clNone, plainText},
                        {coloured, clNone, QColor(255, 0, 0)},
                        {plain, clNone, plainText},
                        {coloured, clNone, QColor(255, 0, 0)},
                        {coloured, clBlue, QColor(0, 0, 255)},
                        {&form, clNone, plainText}};
  for (const Step& s : steps) {
    if (s.recolour != clNone) s.parent->Font()->SetColor(s.recolour);
    auto* edit = new TEdit(&form);
    edit->SetParent(s.parent);
    edit->SetEnabled(false);
    const QPalette p = edit->Handle()->palette();
    EXPECT_EQ(p.color(QPalette::Active, QPalette::Text), s.text);
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::Text), s.text);
  }
}

namespace {

// The colours a control sets are its own; every other role keeps following its parent, also when
// the parent's colours change afterwards.
struct OwnColourCase {
  const char* name;
  bool edit;        // an edit (a display-only field when disabled) or a button
  bool fontColour;  // the control sets a red font
  bool colour;      // the control sets a lime background
};

void PrintTo(const OwnColourCase& C, std::ostream* Os) { *Os << C.name; }

class OwnColours : public ::testing::TestWithParam<OwnColourCase> {};

TEST_P(OwnColours, StayTheControlsAndTheOtherRolesFollowTheParent) {
  const OwnColourCase& c = GetParam();
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  TWinControl* control = c.edit ? static_cast<TWinControl*>(new TEdit(&form))
                                : static_cast<TWinControl*>(new TButton(&form));
  control->SetParent(panel);
  // Set twice: the second time finds the colours in place already.
  for (int i = 0; i < 2; ++i) {
    if (c.fontColour) control->Font()->SetColor(clRed);
    if (c.colour) control->SetColor(clLime);
  }
  panel->Font()->SetColor(clBlue);
  panel->SetColor(clYellow);
  control->SetEnabled(false);

  const QPalette p = control->Handle()->palette();
  const QColor text = c.fontColour ? QColor(255, 0, 0) : QColor(0, 0, 255);
  const QColor back = c.colour ? QColor(0, 255, 0) : QColor(255, 255, 0);
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
    for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      EXPECT_EQ(p.color(g, r), text) << g << " " << r;
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    for (QPalette::ColorRole r : {QPalette::Window, QPalette::Base, QPalette::Button})
      EXPECT_EQ(p.color(g, r), back) << g << " " << r;
  if (c.fontColour) {
    // A disabled field shows its own font colour; a disabled button greys its caption.
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::Text) == text, c.edit);
    EXPECT_NE(p.color(QPalette::Disabled, QPalette::ButtonText), text);
  }
  EXPECT_EQ(control->Handle()->autoFillBackground(), c.colour);
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, OwnColours,
    ::testing::Values(OwnColourCase{"EditSettingNothing", true, false, false},
                      OwnColourCase{"EditWithFontColour", true, true, false},
                      OwnColourCase{"EditWithColour", true, false, true},
                      OwnColourCase{"EditWithBoth", true, true, true},
                      OwnColourCase{"ButtonWithFontColour", false, true, false},
                      OwnColourCase{"ButtonWithColour", false, false, true}),
    [](const ::testing::TestParamInfo<OwnColourCase>& I) { return String(I.param.name); });

}  // namespace
