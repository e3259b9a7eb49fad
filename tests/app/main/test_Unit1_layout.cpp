// The layouts with the installed fonts: every label and button caption of the main window, the
// full list and the sort dialog fits its control, no two of their controls on screen overlap
// (one inside the other, a frame around its fields, is fine), and the full list's headers and
// cells fit their columns.

#include <algorithm>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "Unit30.h"
#include "Unit42.h"
#include "support_mainwin.h"

namespace {

// Room a push button's frame and a check mark's box take besides the caption.
constexpr int ButtonFrame = 8;
constexpr int CheckMarkRoom = 20;
// Room a list column's header and cells take besides the text (the style's margins).
constexpr int ColumnPadding = 12;

// The caption as drawn: "&&" shows "&", a single "&" marks the accelerator and is not drawn.
std::string DrawnText(const std::string& Caption) {
  std::string s;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;
    s.push_back(Caption[i]);
  }
  return s;
}

// Width of the widest line of Text in the control's font.
int TextWidthIn(TControl* Control, const std::string& Text) {
  TBitmap b;
  b.SetWidth(1);
  b.SetHeight(1);
  b.Canvas()->Font()->Assign(Control->Font());
  int widest = 0;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = Text.size();
    widest = std::max(widest, b.Canvas()->TextWidth(Text.substr(start, end - start)));
    start = end + 1;
  }
  return widest;
}

// On screen when the window is: the control and every parent below the window are visible,
// and it lies at least partly inside its parent (a mode may park controls beyond the edge).
bool OnWindow(TControl* Control) {
  for (TControl* c = Control; c != nullptr && dynamic_cast<TForm*>(c) == nullptr; c = c->Parent()) {
    if (!c->Visible() || c->Parent() == nullptr) return false;
    if (c->Left() >= c->Parent()->ClientWidth() || c->Top() >= c->Parent()->ClientHeight())
      return false;
  }
  return true;
}

std::vector<TControl*> ControlsOnWindow(TForm* Form) {
  std::vector<TControl*> all;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Form->Components(i)); c != nullptr && OnWindow(c))
      all.push_back(c);
  return all;
}

// The room the caption needs inside the control, or 0 for a control without a caption to fit.
int NeededWidth(TControl* c) {
  if (auto* label = dynamic_cast<TLabel*>(c))
    return label->WordWrap() ? 0 : TextWidthIn(c, label->Caption());
  if (dynamic_cast<TButton*>(c) != nullptr)
    return TextWidthIn(c, DrawnText(c->Caption())) + ButtonFrame;
  if (dynamic_cast<TRadioButton*>(c) != nullptr || dynamic_cast<TCheckBox*>(c) != nullptr)
    return TextWidthIn(c, DrawnText(c->Caption())) + CheckMarkRoom;
  return 0;
}

// "Label7 'Dish diameter' needs 80 px, has 60" for each caption wider than its control.
std::vector<std::string> CaptionsTooWide(TForm* Form) {
  std::vector<std::string> faults;
  for (TControl* c : ControlsOnWindow(Form)) {
    const int need = NeededWidth(c);
    if (need > c->Width())
      faults.push_back(c->Name() + " '" + c->Caption() + "' needs " + std::to_string(need) +
                       " px, has " + std::to_string(c->Width()));
  }
  return faults;
}

bool Inside(const TRect& Inner, const TRect& Outer) {
  return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
         Inner.Bottom <= Outer.Bottom;
}

bool Intersect(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// Pairs of sibling controls that partly cover each other.
std::vector<std::string> Overlaps(TForm* Form) {
  std::vector<std::string> faults;
  const std::vector<TControl*> all = ControlsOnWindow(Form);
  for (size_t i = 0; i < all.size(); ++i)
    for (size_t j = i + 1; j < all.size(); ++j) {
      TControl* a = all[i];
      TControl* b = all[j];
      if (a->Parent() != b->Parent() || a->Width() == 0 || b->Width() == 0) continue;
      const TRect ra = a->BoundsRect(), rb = b->BoundsRect();
      if (Intersect(ra, rb) && !Inside(ra, rb) && !Inside(rb, ra))
        faults.push_back(a->Name() + " and " + b->Name());
    }
  return faults;
}

}  // namespace

class MainWindowLayoutTest : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    StartThreeMetreDishAt1420WithTheRealCatalogue();
  }
};

TEST_F(MainWindowLayoutTest, TheFamiliesTheLayoutWasMeasuredWithAreInstalled) {
  for (TControl* c : ControlsOnWindow(Form1)) {
    const String family = TFont::DrawnFamily(c->Font()->Name());
    ASSERT_TRUE(FontFamilyInstalled(family))
        << family << " (for " << c->Name() << ") is not installed: run scripts/setup.sh";
  }
}

TEST_F(MainWindowLayoutTest, CaptionsFitAndNothingOverlapsInEveryMode) {
  const std::vector<std::string> none;
  Form1->Button1Click(Form1->Button1);
  ASSERT_TRUE(Boxes().empty()) << BoxTexts()[0];
  EXPECT_EQ(CaptionsTooWide(Form1), none) << "pulsar mode";
  EXPECT_EQ(Overlaps(Form1), none) << "pulsar mode";

  Form1->Button43Click(Form1->Button43);
  EXPECT_EQ(CaptionsTooWide(Form1), none) << "evaluation mode";
  EXPECT_EQ(Overlaps(Form1), none) << "evaluation mode";
}

TEST_F(MainWindowLayoutTest, TheListAndSortWindowsCaptionsFitAndNothingOverlaps) {
  const std::vector<std::string> none;
  Form1->Button1Click(Form1->Button1);
  Form1->Button28Click(Form1->Button28);
  for (TForm* form : {static_cast<TForm*>(Form30), static_cast<TForm*>(Form42)}) {
    EXPECT_EQ(CaptionsTooWide(form), none) << form->Name();
    EXPECT_EQ(Overlaps(form), none) << form->Name();
  }
}

TEST_F(MainWindowLayoutTest, TheFullListsHeadersAndCellsFitTheirColumns) {
  Form1->Button1Click(Form1->Button1);
  Form1->Button28Click(Form1->Button28);
  TListView* list = Form30->ListView1;
  ASSERT_GT(list->Items()->Count(), 1000);
  std::vector<std::string> faults;
  for (int c = 1; c < list->Columns()->Count(); ++c) {
    TListColumn* column = list->Columns()->Items(c);
    std::string widest = column->Caption();
    int need = TextWidthIn(list, widest);
    for (int i = 0; i < list->Items()->Count(); ++i) {
      const std::string cell = list->Items()->Item(i)->SubItems()->Strings(c - 1);
      if (const int w = TextWidthIn(list, cell); w > need) {
        need = w;
        widest = cell;
      }
    }
    if (need + ColumnPadding > column->Width())
      faults.push_back("'" + widest + "' needs " + std::to_string(need + ColumnPadding) +
                       " px, has " + std::to_string(column->Width()));
  }
  EXPECT_EQ(faults, std::vector<std::string>{});
}
