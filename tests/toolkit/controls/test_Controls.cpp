// What every control shares: mouse input (buttons, shift state, double clicks, moves without a
// button), disabled controls, typed-character filters of the edit, multi-line captions and the
// screen cursor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>

#include <functional>
#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "support_ui.h"

namespace {

String Describe(const char* What, TMouseButton B, TShiftState S, int X, int Y) {
  return String(What) + " " + std::to_string(B) + " " + std::to_string(S) + " " +
         std::to_string(X) + "," + std::to_string(Y);
}

struct Recorder {
  std::vector<String> log;
  void Attach(TControl* C) {
    C->OnMouseDown = [this](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
      log.push_back(Describe("down", B, S, X, Y));
    };
    C->OnMouseUp = [this](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
      log.push_back(Describe("up", B, S, X, Y));
    };
    C->OnMouseMove = [this](TObject*, TShiftState S, int X, int Y) {
      log.push_back("move " + std::to_string(S) + " " + std::to_string(X) + "," +
                    std::to_string(Y));
    };
    C->OnClick = [this](TObject*) { log.push_back("click"); };
    C->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
  }
};

void SendMouse(QWidget* W, QEvent::Type T, QPoint At, Qt::MouseButton B, Qt::MouseButtons Held,
               Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QMouseEvent e(T, QPointF(At), QPointF(W->mapToGlobal(At)), B, Held, Mods);
  QApplication::sendEvent(W, &e);
}

struct MouseCase {
  const char* name;
  std::function<void(QWidget*)> act;
  std::vector<String> expected;
};

void PrintTo(const MouseCase& C, std::ostream* Os) { *Os << C.name; }

class MouseInput : public ::testing::TestWithParam<MouseCase> {};

// A paint box reports what the mouse does in client pixels, with the buttons held and the
// keys down in the shift state.
TEST_P(MouseInput, ReachesTheControlWithItsShiftState) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 300, 200);
  auto* box = new TPaintBox(&f);
  box->SetParent(&f);
  box->SetBounds(10, 10, 120, 80);
  Recorder r;
  r.Attach(box);
  f.Show();
  GetParam().act(box->Handle());
  EXPECT_EQ(r.log, GetParam().expected);
  f.Hide();
}

const std::string L = std::to_string(mbLeft), R = std::to_string(mbRight),
                  M = std::to_string(mbMiddle);

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseInput,
    ::testing::Values(
        MouseCase{"a move without a button",
                  [](QWidget* w) {
                    SendMouse(w, QEvent::MouseMove, {5, 6}, Qt::NoButton, Qt::NoButton);
                  },
                  {"move 0 5,6"}},
        MouseCase{"a left drag with shift",
                  [](QWidget* w) {
                    SendMouse(w, QEvent::MouseButtonPress, {1, 2}, Qt::LeftButton, Qt::LeftButton,
                              Qt::ShiftModifier);
                    SendMouse(w, QEvent::MouseMove, {3, 4}, Qt::NoButton, Qt::LeftButton,
                              Qt::ShiftModifier);
                    SendMouse(w, QEvent::MouseButtonRelease, {3, 4}, Qt::LeftButton, Qt::NoButton,
                              Qt::ShiftModifier);
                  },
                  {"down " + L + " " + std::to_string(ssLeft | ssShift) + " 1,2",
                   "move " + std::to_string(ssLeft | ssShift) + " 3,4",
                   "up " + L + " " + std::to_string(ssShift) + " 3,4"}},
        MouseCase{
            "a right click with ctrl and alt",
            [](QWidget* w) {
              const auto mods = Qt::ControlModifier | Qt::AltModifier;
              SendMouse(w, QEvent::MouseButtonPress, {7, 8}, Qt::RightButton, Qt::RightButton,
                        mods);
              SendMouse(w, QEvent::MouseButtonRelease, {7, 8}, Qt::RightButton, Qt::NoButton, mods);
            },
            {"down " + R + " " + std::to_string(ssRight | ssCtrl | ssAlt) + " 7,8",
             "up " + R + " " + std::to_string(ssCtrl | ssAlt) + " 7,8"}},
        MouseCase{
            "a middle press",
            [](QWidget* w) {
              SendMouse(w, QEvent::MouseButtonPress, {0, 0}, Qt::MiddleButton, Qt::MiddleButton);
              SendMouse(w, QEvent::MouseButtonRelease, {0, 0}, Qt::MiddleButton, Qt::NoButton);
            },
            {"down " + M + " " + std::to_string(ssMiddle) + " 0,0", "up " + M + " 0 0,0"}},
        // The second press of a double click: DblClick first, then the press with the double
        // flag, then the release.
        MouseCase{
            "a double click",
            [](QWidget* w) {
              SendMouse(w, QEvent::MouseButtonPress, {9, 9}, Qt::LeftButton, Qt::LeftButton);
              SendMouse(w, QEvent::MouseButtonRelease, {9, 9}, Qt::LeftButton, Qt::NoButton);
              SendMouse(w, QEvent::MouseButtonDblClick, {9, 9}, Qt::LeftButton, Qt::LeftButton);
              SendMouse(w, QEvent::MouseButtonRelease, {9, 9}, Qt::LeftButton, Qt::NoButton);
            },
            {"down " + L + " " + std::to_string(ssLeft) + " 9,9", "up " + L + " 0 9,9", "dblclick",
             "down " + L + " " + std::to_string(ssLeft | ssDouble) + " 9,9",
             "up " + L + " 0 9,9"}}));

// A control the program disabled takes no mouse input: no events, no click. Enabled again, it
// does.
TEST(DisabledControls, TakeNoMouseInput) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 300, 200);
  auto* panel = new TPanel(&f);
  panel->SetParent(&f);
  panel->SetBounds(0, 0, 200, 150);
  auto* label = new TLabel(&f);
  label->SetParent(panel);
  label->SetCaption("Object");
  auto* box = new TPaintBox(&f);
  box->SetParent(panel);
  box->SetBounds(50, 50, 40, 40);
  f.Show();
  for (TControl* c : std::initializer_list<TControl*>{label, box, panel}) {
    SCOPED_TRACE(c->ClassName());
    Recorder r;
    r.Attach(c);
    c->SetEnabled(false);
    ui::Click(c->Handle(), QPoint(2, 2));
    SendMouse(c->Handle(), QEvent::MouseMove, {3, 3}, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(r.log.empty());
    c->SetEnabled(true);
    ui::Click(c->Handle(), QPoint(2, 2));
    EXPECT_FALSE(r.log.empty());
  }
  // The press on a disabled label goes to the control beneath it.
  Recorder onPanel;
  onPanel.Attach(panel);
  label->SetEnabled(false);
  ui::Press(label->Handle(), QPoint(2, 2));
  ASSERT_EQ(onPanel.log.size(), 1u);
  EXPECT_EQ(onPanel.log[0], Describe("down", mbLeft, ssLeft, label->Left() + 2, label->Top() + 2));
  ui::Release(label->Handle(), QPoint(2, 2));
  label->SetEnabled(true);
  panel->OnMouseDown = nullptr;
  panel->OnMouseUp = nullptr;
  panel->OnClick = nullptr;
  // A disabled window disables everything on it.
  Recorder r;
  r.Attach(box);
  f.SetEnabled(false);
  ui::Click(box->Handle(), QPoint(2, 2));
  EXPECT_TRUE(r.log.empty());
  f.SetEnabled(true);
  f.Hide();
}

struct FilterCase {
  const char* name;
  std::function<void(TEdit*)> setup;
  QString typed;
  String expected;
  int changes;
};

void PrintTo(const FilterCase& C, std::ostream* Os) { *Os << C.name; }

class EditInput : public ::testing::TestWithParam<FilterCase> {};

// What reaches the text of an edit when the user types, and how many change events that
// makes.
TEST_P(EditInput, KeepsOnlyWhatItAccepts) {
  TForm f(nullptr);
  auto* e = new TEdit(&f);
  e->SetParent(&f);
  e->SetText("7");
  GetParam().setup(e);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  f.Show();
  ui::Type(e->Handle(), GetParam().typed);
  EXPECT_EQ(e->Text(), GetParam().expected);
  EXPECT_EQ(changes, GetParam().changes);
  f.Hide();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditInput,
    ::testing::Values(FilterCase{"plain", [](TEdit*) {}, "a1.", "7a1.", 3},
                      FilterCase{"digits only", [](TEdit* e) { e->SetNumbersOnly(true); }, "a1.-2",
                                 "712", 2},
                      // Another numbers-only edit going away or taking letters again leaves
                      // this one as it is.
                      FilterCase{"digits only after another such edit is gone",
                                 [](TEdit* e) {
                                   auto* other = new TEdit(e->Owner());
                                   other->SetNumbersOnly(true);
                                   e->SetNumbersOnly(true);
                                   delete other;
                                 },
                                 "a1.-2", "712", 2},
                      FilterCase{"digits only while another such edit takes letters again",
                                 [](TEdit* e) {
                                   auto* other = new TEdit(e->Owner());
                                   other->SetNumbersOnly(true);
                                   e->SetNumbersOnly(true);
                                   other->SetNumbersOnly(false);
                                 },
                                 "a1.-2", "712", 2},
                      FilterCase{"letters again after digits only",
                                 [](TEdit* e) {
                                   e->SetNumbersOnly(true);
                                   e->SetNumbersOnly(false);
                                 },
                                 "a1", "7a1", 2},
                      FilterCase{"read-only", [](TEdit* e) { e->SetReadOnly(true); }, "12", "7", 0},
                      FilterCase{"disabled", [](TEdit* e) { e->SetEnabled(false); }, "12", "7", 0},
                      FilterCase{"nine characters at most", [](TEdit* e) { e->SetMaxLength(9); },
                                 "0123456789ab", "701234567", 8}));

// Captions with line breaks: LF, CR LF (from descriptions) and a trailing LF (a time text)
// size the label by their lines, and the caption reads back as it was set.
TEST(Label, LineBreaksOfEveryKindSizeTheLabel) {
  TForm f(nullptr);
  auto* l = new TLabel(&f);
  l->SetParent(&f);
  l->SetCaption("line");
  const int one = l->Height();
  struct Case {
    String caption;
    int lines;
  };
  for (const Case& c : {Case{"line one\nline two", 2}, Case{"line one\r\nline two", 2},
                        Case{"Wed Jan 10 12:34:00 2024\n", 2}, Case{"a\r\nb\r\nc", 3}}) {
    SCOPED_TRACE(c.caption);
    l->SetCaption(c.caption);
    EXPECT_EQ(l->Caption(), c.caption);
    EXPECT_EQ(l->Height(), one * c.lines);
    // No carriage return is left for the widget to draw as a glyph.
    EXPECT_FALSE(static_cast<QLabel*>(l->Handle())->text().contains(QLatin1Char('\r')));
  }
}

// The screen cursor overrides every window's own; crDefault gives them back. Custom cursors
// are found by their index.
TEST(Screen, CursorOverridesAndDefaultRestores) {
  ASSERT_EQ(Screen->Cursor(), crDefault);
  Screen->SetCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen->SetCursor(crCross);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  TBitmap hand(16, 16);
  EXPECT_FALSE(Screen->HasCursor(1));
  Screen->SetCustomCursor(1, hand, 4, 0);
  EXPECT_TRUE(Screen->HasCursor(1));
  Screen->SetCursor(1);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(4, 0));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace

// ---- custom controls without a widget, and the moment their window exists -------------------
namespace {
class CountingControl : public TCustomControl {
public:
  explicit CountingControl(TComponent* AOwner) : TCustomControl(AOwner) {}
  CountingControl(TComponent* AOwner, bool) : TCustomControl(AOwner, TNoWidget{}) {}
  int created = 0;
  int painted = 0;

protected:
  void CreateWnd() override { ++created; }
  void Paint() override {
    ++painted;
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }
};
}  // namespace

TEST(CustomControl, WithoutWidgetItStillPaintsIntoItsImage) {
  CountingControl c(nullptr, true);
  EXPECT_EQ(c.NativeHandle(), nullptr);
  c.SetBounds(0, 0, 30, 20);
  c.Repaint();
  EXPECT_EQ(c.painted, 1);
  EXPECT_EQ(c.Canvas()->GetPixel(29, 19), clRed);
  EXPECT_EQ(c.Canvas()->GetPixel(30, 19), CLR_INVALID);
  c.Invalidate();  // nothing to show it: no paint happens behind the caller's back
  EXPECT_EQ(c.painted, 1);
  EXPECT_FALSE(c.HandleAllocated());
  c.HandleNeeded();
  c.HandleNeeded();
  EXPECT_EQ(c.created, 1);
  EXPECT_TRUE(c.HandleAllocated());
}

TEST(CustomControl, FirstShowCreatesTheWindowOnce) {
  TForm f(nullptr);
  auto* c = new CountingControl(&f);
  c->SetParent(&f);
  EXPECT_EQ(c->created, 0);
  f.Show();
  c->Hide();
  c->Show();
  EXPECT_EQ(c->created, 1);
}

// A control that shows its image at the end of Paint, as the chart does. Painted from the
// widget's own paint event, that must not become a repaint inside the paint (Qt refuses it and
// the event's painter then draws nothing: a blank control).
namespace {
class ShowingControl : public CountingControl {
public:
  using CountingControl::CountingControl;

protected:
  void Paint() override {
    CountingControl::Paint();
    ShowImage();
  }
};

std::vector<String>* gWarnings = nullptr;
void RecordWarning(QtMsgType, const QMessageLogContext&, const QString& Message) {
  if (gWarnings != nullptr) gWarnings->push_back(Message.toStdString());
}
}  // namespace

TEST(CustomControl, APaintThatShowsItsImageIsDrawnByThePaintEventWithoutRecursion) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 80, 60);
  auto* c = new ShowingControl(&f);
  c->SetParent(&f);
  c->SetBounds(0, 0, 40, 30);
  std::vector<String> warnings;
  gWarnings = &warnings;
  const QtMessageHandler before = qInstallMessageHandler(RecordWarning);
  f.Show();
  for (int i = 0; i < 20 && c->painted == 0; ++i) Application->ProcessMessages();
  c->Invalidate();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  qInstallMessageHandler(before);
  gWarnings = nullptr;
  EXPECT_GE(c->painted, 2);
  EXPECT_EQ(warnings, std::vector<String>{});
  const QImage shown = ui::W(c)->grab().toImage();
  EXPECT_EQ(shown.pixelColor(39, 29), QColor(Qt::red));
}

// ---- the image of a custom control, made when first needed -----------------------------------
// Resizing an image fills the new one with the control's colour of that moment and keeps the old
// pixels in its top-left corner. An image made only when first painted or drawn on must show the
// same nested rectangles, whichever of the two asks for it first.
namespace {
struct TResize {
  TColor Color;
  int Width, Height;
};
struct TProbe {
  int X, Y;
  int Colour;  // index into the colours in force: -1 the control's own colour at creation
};
struct TImageCase {
  const char* Name;
  std::vector<TResize> Resizes;
  std::vector<TProbe> Probes;
};
}  // namespace

TEST(CustomControl, ImageMadeWhenNeededHoldsTheFillsOfEveryResize) {
  const std::vector<TImageCase> cases = {
      {"growing in steps",
       {{clRed, 150, 80}, {clBlue, 130, 120}, {clYellow, 130, 120}},
       {{10, 10, -1}, {99, 79, -1}, {120, 10, 0}, {100, 79, 0}, {10, 100, 1}, {129, 119, 1}}},
      {"shrunk below the first size, then grown",
       {{clRed, 150, 80}, {clLime, 40, 30}, {clBlue, 90, 60}},
       {{39, 29, -1}, {40, 10, 2}, {10, 30, 2}, {89, 59, 2}}},
      {"the same colour twice",
       {{clRed, 120, 120}, {clRed, 140, 110}, {clBlue, 150, 150}},
       {{99, 99, -1}, {119, 105, 0}, {130, 100, 1}, {139, 109, 1}, {10, 140, 2}, {149, 110, 2}}},
  };
  for (const bool onScreen : {false, true}) {
    for (const TImageCase& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (onScreen ? ", first painted on screen"
                                                   : ", first read through the canvas"));
      TForm f(nullptr);
      f.SetBounds(0, 0, 300, 250);
      auto* box = new TPaintBox(&f);
      box->SetParent(&f);
      box->OnPaint = [](TObject*) {};  // paints nothing: the image shows as it was made
      const TColor initial = box->Color();
      for (const TResize& r : c.Resizes) {
        box->SetColor(r.Color);
        box->SetBounds(0, 0, r.Width, r.Height);
      }
      if (onScreen) {
        f.Show();
        ui::Pump(20);
      }
      const QImage shot = onScreen ? box->Handle()->grab().toImage() : QImage();
      for (const TProbe& p : c.Probes) {
        const TColor want =
            ColorToRGB(p.Colour < 0 ? initial : c.Resizes[static_cast<size_t>(p.Colour)].Color);
        const TColor got = onScreen ? TColor(qRed(shot.pixel(p.X, p.Y)) |
                                             qGreen(shot.pixel(p.X, p.Y)) << 8 |
                                             qBlue(shot.pixel(p.X, p.Y)) << 16)
                                    : box->Canvas()->GetPixel(p.X, p.Y);
        EXPECT_EQ(got, want) << "at " << p.X << "," << p.Y;
      }
      f.Hide();
    }
  }
}
