// Windows and the application loop: closing the main and secondary windows, window events,
// timers on the event loop, exceptions in handlers and in window creation, modal windows, and
// the self-painting control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTimer>
#include <QWidget>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "support_ui.h"

namespace {

// Runs the application loop, ending it after Ms at the latest; Fired tells whether that end
// came. The timer is owned here, so that it goes with this call: one left waiting would end a
// later test's loop and write into this call's finished frame.
int RunEndingAfter(int Ms, bool& Fired) {
  Fired = false;
  QTimer end;
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, [&] {
    Fired = true;
    Application->Terminate();
  });
  end.start(Ms);
  return Application->Run();
}

// Runs the application loop with a watchdog, so a fault never hangs the test program.
int RunWithWatchdog(int Ms = 5000) {
  bool fired = false;
  const int code = RunEndingAfter(Ms, fired);
  EXPECT_FALSE(fired) << "the event loop did not end by itself";
  return code;
}

struct MainAndSecondary : ::testing::Test {
  std::unique_ptr<TForm> main = std::make_unique<TForm>(nullptr);
  std::unique_ptr<TForm> second = std::make_unique<TForm>(nullptr);
  void SetUp() override { Application->SetMainForm(main.get()); }
  void TearDown() override { Application->SetMainForm(nullptr); }
};

TEST_F(MainAndSecondary, ClosingTheMainWindowEndsTheLoopWithCodeZero) {
  std::vector<String> events;
  main->OnShow = [&](TObject*) { events.push_back("show"); };
  main->OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
  QTimer::singleShot(20, [&] { main->Close(); });
  EXPECT_EQ(RunWithWatchdog(), 0);
  EXPECT_EQ(events, (std::vector<String>{"show", "close"}));
  EXPECT_FALSE(main->Visible());
}

TEST_F(MainAndSecondary, ClosingASecondaryWindowHidesItAndTheLoopGoesOn) {
  int secondClosed = 0;
  bool stillRunning = false;
  second->OnClose = [&](TObject*, TCloseAction& Action) {
    ++secondClosed;
    EXPECT_EQ(Action, caHide);
  };
  QTimer::singleShot(10, [&] { second->Show(); });
  // The window manager's close button.
  QTimer::singleShot(30, [&] { second->Handle()->close(); });
  QTimer::singleShot(60, [&] {
    stillRunning = true;
    EXPECT_FALSE(second->Visible());
    EXPECT_TRUE(main->Visible());
    main->Close();
  });
  EXPECT_EQ(RunWithWatchdog(), 0);
  EXPECT_EQ(secondClosed, 1);
  EXPECT_TRUE(stillRunning);
  // Shown again later, it is the same window.
  second->Show();
  EXPECT_TRUE(second->Visible());
  second->Hide();
}

TEST_F(MainAndSecondary, HidingTheMainWindowDoesNotEndTheLoop) {
  bool reached = false;
  QTimer::singleShot(10, [&] {
    second->Show();
    main->Hide();
  });
  QTimer::singleShot(40, [&] {
    reached = true;
    second->Hide();  // no window visible at all now
  });
  QTimer::singleShot(70, [&] { main->Close(); });
  EXPECT_EQ(RunWithWatchdog(), 0);
  EXPECT_TRUE(reached);
}

TEST_F(MainAndSecondary, CloseQueryAndCloseActionCanKeepAWindow) {
  second->Show();
  bool allow = false;
  second->OnCloseQuery = [&](TObject*, bool& Can) { Can = allow; };
  second->Close();
  EXPECT_TRUE(second->Visible());
  allow = true;
  second->OnClose = [](TObject*, TCloseAction& A) { A = caNone; };
  second->Close();
  EXPECT_TRUE(second->Visible());
  second->OnClose = nullptr;
  second->Close();
  EXPECT_FALSE(second->Visible());
}

TEST_F(MainAndSecondary, ShowAndActivateFireOncePerShowing) {
  int shows = 0, activations = 0;
  second->OnShow = [&](TObject*) { ++shows; };
  second->OnActivate = [&](TObject*) { ++activations; };
  second->Show();
  second->Show();
  ui::Pump(20);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(activations, 1);
  second->Hide();
  second->Show();
  ui::Pump(20);
  EXPECT_EQ(shows, 2);
  EXPECT_EQ(activations, 2);
  second->Hide();
}

TEST_F(MainAndSecondary, ATimerFiresOnTheLoopAndAThrowingHandlerDoesNotStopIt) {
  TScopedDialogScript dialogs;
  auto* timer = new TTimer(main.get());
  int ticks = 0;
  timer->OnTimer = [&](TObject* Sender) {
    EXPECT_EQ(Sender, timer);
    ++ticks;
    if (ticks == 2) throw Exception("ERROR: tick two");
    if (ticks == 4) main->Close();
  };
  timer->SetInterval(15);
  EXPECT_TRUE(timer->Active());
  EXPECT_EQ(RunWithWatchdog(), 0);
  EXPECT_EQ(ticks, 4);
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Kind, TDialogKind::Error);
  EXPECT_EQ(dialogs->Boxes()[0].Text, "ERROR: tick two");
  timer->SetEnabled(false);
}

TEST(Timer, IntervalZeroOrDisabledStopsIt) {
  TForm f(nullptr);
  auto* timer = new TTimer(&f);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  EXPECT_EQ(timer->Interval(), 1000);
  EXPECT_TRUE(timer->Active()) << "a new timer counts (Enabled, 1000 ms)";
  timer->SetInterval(0);
  EXPECT_FALSE(timer->Active());
  ui::Pump(40);
  EXPECT_EQ(ticks, 0);
  timer->SetInterval(1);  // below the floor: runs at the fastest rate allowed
  // Measured rather than assumed: on a loaded machine the loop may run late, never early.
  QElapsedTimer clock;
  clock.start();
  ui::Pump(4 * MinTimerInterval);
  const qint64 elapsed = clock.elapsed();
  EXPECT_GT(ticks, 0);
  EXPECT_LE(ticks, elapsed / MinTimerInterval + 1);
  timer->SetEnabled(false);
  const int before = ticks;
  ui::Pump(40);
  EXPECT_EQ(ticks, before);
}

TEST(Application, AWindowThatFailsToBuildShowsTheErrorAndIsNotCreated) {
  TScopedDialogScript dialogs;
  struct TBadForm : TForm {
    explicit TBadForm(TComponent* O) : TForm(O) {
      LoadDescriptionText("object Bad: TBadForm\n  Oops = 1\nend\n", "Bad.form");
    }
  };
  TBadForm* bad = nullptr;
  EXPECT_THROW(Application->CreateForm(bad), Exception);
  EXPECT_EQ(bad, nullptr);
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Kind, TDialogKind::Error);
  EXPECT_NE(dialogs->Boxes()[0].Text.find("unknown property 'Oops'"), String::npos);
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST(Application, TheFirstWindowCreatedIsTheMainWindow) {
  struct TFormA : TForm {
    using TForm::TForm;
  };
  TFormA* a = nullptr;
  TFormA* b = nullptr;
  Application->CreateForm(a);
  Application->CreateForm(b);
  EXPECT_EQ(Application->MainForm(), a);
  EXPECT_EQ(a->Owner(), Application);
  Application->DestroyComponents();
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

// The automated close (start-up runs without a person at the screen) acts once, on the shown
// main window, and only in the Run that follows it.
TEST_F(MainAndSecondary, ACloseAskedForBeforeRunClosesTheShownMainWindowOnce) {
  std::vector<String> events;
  main->OnShow = [&](TObject*) { events.push_back("show"); };
  main->OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
  Application->SetCloseMainFormAfter(1);
  EXPECT_EQ(RunWithWatchdog(), 0);
  EXPECT_EQ(events, (std::vector<String>{"show", "close"}));

  bool fired = false;
  RunEndingAfter(150, fired);
  EXPECT_TRUE(fired) << "the second run was closed by the first run's request";
  EXPECT_EQ(events.size(), 3u);  // shown again, not closed
}

TEST(Application, TerminateBeforeRunReturnsAtOnceAndLeavesLocalLoopsWorking) {
  Application->Terminate();
  EXPECT_EQ(Application->Run(), 0);
  // A later local loop (a modal window, a message box) still waits for its end.
  QEventLoop loop;
  QElapsedTimer t;
  t.start();
  QTimer::singleShot(30, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_GE(t.elapsed(), 25);
}

TEST(ModalWindow, AButtonWithAModalResultClosesIt) {
  TForm dlg(nullptr);
  auto* ok = new TButton(&dlg);
  ok->SetParent(&dlg);
  ok->ModalResult = mrOk;
  QTimer::singleShot(20, [&] { ui::Click(ok->Handle()); });
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_FALSE(dlg.Visible());
  QTimer::singleShot(20, [&] { dlg.Close(); });
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
}

TEST(Window, DefaultAndCancelButtonsAnswerEnterAndEscape) {
  TForm f(nullptr);
  auto* def = new TButton(&f);
  auto* cancel = new TButton(&f);
  def->SetParent(&f);
  cancel->SetParent(&f);
  def->SetDefault(true);
  cancel->SetCancel(true);
  int d = 0, c = 0;
  def->OnClick = [&](TObject*) { ++d; };
  cancel->OnClick = [&](TObject*) { ++c; };
  f.Show();
  ui::Key(f.Handle(), Qt::Key_Return);
  ui::Key(f.Handle(), Qt::Key_Escape);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(c, 1);
  f.Hide();
}

TEST(Window, ScaleByScalesTheWindowAndItsControls) {
  TForm f(nullptr);
  f.SetBounds(10, 10, 400, 300);
  auto* b = new TButton(&f);
  b->SetParent(&f);
  b->SetBounds(13, 27, 75, 25);
  f.ScaleBy(100, 75);
  EXPECT_EQ(b->Left(), 17);
  EXPECT_EQ(b->Width(), 100);
  EXPECT_EQ(f.Width(), 533);
}

// The text grows with the window: the window's font scales (set or not), and a control that
// takes its parent's font shows the scaled one; a control with its own font scales that.
TEST(Window, ScaleByScalesTheTextToo) {
  TForm f(nullptr);
  auto* plain = new TLabel(&f);
  plain->SetParent(&f);
  auto* bold = new TLabel(&f);
  bold->SetParent(&f);
  bold->Font()->SetStyle({fsBold});
  ASSERT_EQ(f.Font()->Size(), 8);
  f.ScaleBy(100, 75);
  EXPECT_EQ(f.Font()->Size(), 11);
  EXPECT_EQ(bold->Font()->Size(), 11);
  EXPECT_EQ(plain->Handle()->font().pixelSize(), f.Handle()->font().pixelSize());
  EXPECT_EQ(f.Handle()->font().pixelSize(), 15);
  f.ScaleBy(75, 100);
  EXPECT_EQ(f.Font()->Size(), 8);
  EXPECT_EQ(bold->Font()->Size(), 8);
  EXPECT_EQ(plain->Handle()->font().pixelSize(), 11);
}

TEST(Window, DestroyingItCallsNoHandlers) {
  int calls = 0;
  {
    auto f = std::make_unique<TForm>(nullptr);
    auto* edit = new TEdit(f.get());
    auto* list = new TListBox(f.get());
    edit->SetParent(f.get());
    list->SetParent(f.get());
    list->Items()->Add("a");
    list->Items()->Add("b");
    list->SetItemIndex(1);
    f->OnDeactivate = [&](TObject*) { ++calls; };
    f->OnHide = [&](TObject*) { ++calls; };
    edit->OnExit = [&](TObject*) { ++calls; };
    list->OnClick = [&](TObject*) { ++calls; };
    f->Show();
    ui::Pump(20);
    edit->SetFocus();
    ui::Pump(20);
    ASSERT_TRUE(edit->Focused());
  }
  ui::Pump(20);
  EXPECT_EQ(calls, 0);
}

// ---- the self-painting control -------------------------------------------------------------
TEST(CustomControl, PaintsIntoAPersistentImageAndReportsTheMouse) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 300, 200);
  auto* box = new TPaintBox(&f);
  box->SetParent(&f);
  box->SetBounds(10, 10, 120, 80);
  int paints = 0, resizes = 0;
  box->OnPaint = [&](TObject*) {
    ++paints;
    box->Canvas()->Brush()->SetColor(clGreen);
    box->Canvas()->FillRect(Rect(0, 0, box->Width(), box->Height()));
  };
  box->OnResize = [&](TObject*) { ++resizes; };
  std::vector<String> mouse;
  box->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
    mouse.push_back("down " + std::to_string(B) + " " + std::to_string(S & (ssLeft | ssShift)) +
                    " " + std::to_string(X) + "," + std::to_string(Y));
  };
  box->OnMouseMove = [&](TObject*, TShiftState S, int X, int Y) {
    mouse.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
  };
  box->OnMouseUp = [&](TObject*, TMouseButton B, TShiftState, int X, int Y) {
    mouse.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  };

  box->Repaint();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(box->Canvas()->GetPixel(5, 5), clGreen);
  // Drawing outside a paint stays in the image and reaches the screen.
  box->Canvas()->SetPixel(3, 4, clRed);
  f.Show();
  ui::Pump(20);
  const QImage shot = box->Handle()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(3, 4), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(50, 50), QColor(0, 128, 0));

  box->SetWidth(200);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(box->Canvas()->ClipRect().Right, 200);

  ui::Press(box->Handle(), QPoint(7, 9));
  QMouseEvent move(QEvent::MouseMove, QPointF(8, 11),
                   QPointF(box->Handle()->mapToGlobal(QPoint(8, 11))), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(box->Handle(), &move);
  ui::Release(box->Handle(), QPoint(9, 12));
  EXPECT_EQ(mouse, (std::vector<String>{"down 0 8 7,9", "move 8,11", "up 9,12"}));
  f.Hide();
}

}  // namespace

namespace {
// A control that keeps Tab for itself, as a chart does.
class TKeyControl : public TCustomControl {
public:
  explicit TKeyControl(TComponent* O) : TCustomControl(O) { FWantsTab = true; }
};

TEST(CustomControl, WheelEnterLeaveAndTabReachTheControl) {
  TForm f(nullptr);
  auto* box = new TKeyControl(&f);
  auto* other = new TButton(&f);
  box->SetParent(&f);
  other->SetParent(&f);
  other->SetTop(150);
  std::vector<String> seen;
  box->OnMouseWheel = [&](TObject*, TShiftState S, int Delta, TPoint P, bool& Handled) {
    seen.push_back("wheel " + std::to_string(Delta) + " " + std::to_string(P.X) + "," +
                   std::to_string(P.Y) + ((S & ssCtrl) ? " ctrl" : ""));
    Handled = true;
  };
  box->OnMouseEnter = [&](TObject*) { seen.push_back("enter"); };
  box->OnMouseLeave = [&](TObject*) { seen.push_back("leave"); };
  box->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
    seen.push_back("key " + std::to_string(Key));
  };
  f.Show();
  ui::Pump(20);
  seen.clear();  // the pointer may start over the control
  QWheelEvent wheel(QPointF(5, 6), QPointF(box->Handle()->mapToGlobal(QPoint(5, 6))), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(box->Handle(), &wheel);
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(box->Handle(), &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(box->Handle(), &leave);
  box->SetFocus();
  ui::Pump(20);
  ASSERT_TRUE(box->Focused());
  ui::Key(box->Handle(), Qt::Key_Tab);
  ui::Pump(10);
  EXPECT_TRUE(box->Focused()) << "Tab stays with the control";
  EXPECT_EQ(seen, (std::vector<String>{"wheel -120 5,6 ctrl", "enter", "leave", "key 9"}));
  f.Hide();
}
}  // namespace

namespace {

// Where a window appears the first time it is shown, and whether the user can resize it.
struct PlacementCase {
  const char* name;
  TPosition position;
  TFormBorderStyle border;
  TPoint expected;  // top-left corner; the main window is at (100, 50), 800 x 600
  bool fixedSize;
};

void PrintTo(const PlacementCase& C, std::ostream* Os) { *Os << C.name; }

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, OfASecondaryWindow) {
  TForm main(nullptr), dialog(nullptr);
  Application->SetMainForm(&main);
  main.SetBounds(100, 50, 800, 600);
  main.Show();
  dialog.SetBorderStyle(GetParam().border);
  dialog.SetPosition(GetParam().position);
  dialog.SetBounds(7, 9, 300, 200);
  dialog.Show();
  EXPECT_EQ(dialog.Left(), GetParam().expected.X);
  EXPECT_EQ(dialog.Top(), GetParam().expected.Y);
  EXPECT_EQ(dialog.Width(), 300);
  EXPECT_EQ(dialog.ClientHeight(), 200);
  QWidget* w = dialog.Handle();
  const bool fixed = w->minimumSize() == w->maximumSize() && w->minimumSize() == QSize(300, 200);
  EXPECT_EQ(fixed, GetParam().fixedSize);
  // Shown again, it stays where it was.
  dialog.Hide();
  dialog.SetLeft(20);
  dialog.Show();
  EXPECT_EQ(dialog.Left(), 20);
  dialog.Hide();
  main.Hide();
  Application->SetMainForm(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        PlacementCase{"designed", poDesigned, bsSizeable, {7, 9}, false},
        PlacementCase{
            "dialog centred on the main window", poMainFormCenter, bsDialog, {350, 250}, true},
        PlacementCase{
            "single border centred on the owner", poOwnerFormCenter, bsSingle, {350, 250}, true}));

// A window stored disabled takes no input until its constructor enables it; the client size
// of a description sets the window's size.
TEST(Window, DescribedDisabledAndClientSize) {
  TForm f(nullptr);
  f.LoadDescriptionText(
      "object Form34: TForm\n  ClientWidth = 774\n  ClientHeight = 584\n  Enabled = False\n"
      "  object Button1: TButton\n    Caption = 'Moon'\n  end\nend\n",
      "Unit34.form");
  EXPECT_EQ(f.ClientWidth(), 774);
  EXPECT_EQ(f.ClientHeight(), 584);
  auto* b = dynamic_cast<TButton*>(f.FindComponent("Button1"));
  ASSERT_NE(b, nullptr);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  f.Show();
  EXPECT_FALSE(f.Handle()->isEnabled());
  ui::Click(b->Handle());
  EXPECT_EQ(clicks, 0);
  f.SetEnabled(true);
  ui::Click(b->Handle());
  EXPECT_EQ(clicks, 1);
  f.Hide();
}

}  // namespace
