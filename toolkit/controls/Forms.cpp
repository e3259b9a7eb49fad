#include "Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <clocale>
#include <cxxabi.h>
#include <utility>

#include "ControlsQt.h"
#include "Dialogs.h"
#include "FormLoader.h"
#include "GraphicsQt.h"
#include "PlatformClipboard.h"

namespace {

// A window: closing it through the window manager goes through the form's Close (which hides
// it or ends the program), activation is reported, Enter and Escape press the default and
// cancel buttons.
class TFormWidget : public QWidget {
public:
  explicit TFormWidget(TForm* Owner) : QWidget(nullptr, Qt::Window), FOwner(Owner) {}
  QPointer<QEventLoop> ModalLoop;
  // The window object is going: events from now on concern nobody.
  void Detach() { FOwner = nullptr; }

protected:
  void closeEvent(QCloseEvent* E) override {
    E->ignore();
    if (FOwner != nullptr) FOwner->UserClose();
  }
  void changeEvent(QEvent* E) override {
    if (FOwner != nullptr && E->type() == QEvent::ActivationChange) {
      if (isActiveWindow())
        GuardedCall([this] { FOwner->Activated(); });
      else
        GuardedCall([this] { FOwner->Deactivated(); });
    }
    QWidget::changeEvent(E);
  }
  void keyPressEvent(QKeyEvent* E) override {
    const bool enter = E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter;
    const bool escape = E->key() == Qt::Key_Escape;
    if (FOwner != nullptr && (enter || escape) && E->modifiers() == Qt::NoModifier) {
      if (TButton* b = Find(FOwner, enter)) {
        GuardedCall([b] { b->Click(); });
        return;
      }
    }
    QWidget::keyPressEvent(E);
  }

private:
  static TButton* Find(TWinControl* C, bool Default) {
    for (int i = 0; i < C->ControlCount(); ++i) {
      TControl* c = C->Controls(i);
      if (auto* b = dynamic_cast<TButton*>(c))
        if ((Default ? b->Default() : b->Cancel()) && b->Showing() && b->Enabled()) return b;
      if (auto* w = dynamic_cast<TWinControl*>(c))
        if (TButton* b = Find(w, Default)) return b;
    }
    return nullptr;
  }
  TForm* FOwner;
};

// The offscreen platform of the tests has no window stacking (and says so on every raise).
void RaiseWindow(QWidget* W) {
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) W->raise();
  W->activateWindow();
}

String Demangled(const std::type_info& T) {
  int status = 0;
  char* d = abi::__cxa_demangle(T.name(), nullptr, nullptr, &status);
  String r = (status == 0 && d != nullptr) ? String(d) : String(T.name());
  std::free(d);
  return r;
}

// The program's Qt application: the last line of defence for an exception that escapes
// anything Qt dispatches (every handler call is guarded already; this catches what a
// library routine throws from inside Qt's own event handling). It goes to the standard
// error box and the loop goes on, instead of unwinding through Qt.
class TGuardedQApplication : public QApplication {
public:
  TGuardedQApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {}
  bool notify(QObject* Receiver, QEvent* Event) override {
    try {
      return QApplication::notify(Receiver, Event);
    } catch (...) {
      RouteEventException(std::current_exception());
      return false;
    }
  }
};

}  // namespace

// ---- TForm -------------------------------------------------------------------------------
TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  SetBounds(0, 0, 640, 480);
  AttachWidget(Native(new TFormWidget(this)));
  FWantsKeyPress = true;
}

TForm::~TForm() {
  if (auto* w = static_cast<TFormWidget*>(Handle())) w->Detach();
  // The components go while the window's widget (which holds theirs) still exists.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  if (Application != nullptr && Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TForm::LoadDescription(const String& Unit) {
  String path = Unit;
  const bool bare = Unit.find('/') == String::npos && Unit.find('.') == String::npos;
  if (bare) path = ":/" + Unit + ".form";
  QFile f(QStr(path));
  if (!f.open(QIODevice::ReadOnly))
    throw Exception("The window description " + path + " cannot be found");
  const QByteArray bytes = f.readAll();
  const String source = bare ? Unit + ".form" : path;
  LoadDescriptionText(String(bytes.constData(), static_cast<size_t>(bytes.size())), source);
}

void TForm::LoadDescriptionText(const String& Text, const String& Source) {
  LoadDescriptionInto(this, Text, Source);
  if (OnCreate) OnCreate(this);
}

void TForm::BindError(const String& Name, TComponent* Found, const std::type_info& Want) {
  const String window = this->Name().empty() ? ClassName() : this->Name();
  if (Found == nullptr) throw EComponentError(window + ": there is no component named " + Name);
  throw EComponentError(window + ": " + Name + " is a " + Found->ClassName() + ", not a " +
                        Demangled(Want));
}

void TForm::Loaded() {
  TWinControl::Loaded();
  if (FVisible) {
    FVisible = false;
    SetVisible(true);
  }
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::SetVisible(bool Value) {
  QWidget* w = Handle();
  if (IsLoading() || w == nullptr) {
    FVisible = Value;
    return;
  }
  const bool was = w->isVisible();
  FVisible = Value;
  if (Value) {
    if (!FShownOnce) {
      PlaceOnShow();
      FShownOnce = true;
    }
    if (FWindowState == wsMaximized)
      w->showMaximized();
    else if (FWindowState == wsMinimized)
      w->showMinimized();
    else
      w->show();
    RaiseWindow(w);
    if (!was) {
      if (OnShow) OnShow(this);
      Activated();
    }
  } else {
    w->hide();
    if (was) {
      FActive = false;
      if (OnHide) OnHide(this);
    }
    if (auto* fw = static_cast<TFormWidget*>(w); fw->ModalLoop) fw->ModalLoop->quit();
  }
}

void TForm::BringToFront() {
  if (Handle() != nullptr && Handle()->isVisible()) RaiseWindow(Handle());
}

bool TForm::Active() const { return FActive; }

void TForm::Activated() {
  if (FActive) return;
  FActive = true;
  if (OnActivate) OnActivate(this);
}

void TForm::Deactivated() {
  if (!FActive) return;
  FActive = false;
  if (OnDeactivate) OnDeactivate(this);
}

void TForm::PlaceOnShow() {
  QWidget* w = Handle();
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  QRect around;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter: around = area; break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TForm* m = Application != nullptr ? Application->MainForm() : nullptr;
      around =
          (m != nullptr && m != this && m->Handle() != nullptr) ? m->Handle()->geometry() : area;
      break;
    }
    default: return;
  }
  const int x = around.x() + (around.width() - Width()) / 2;
  const int y = around.y() + (around.height() - Height()) / 2;
  SetBounds(std::max(area.x(), x), std::max(area.y(), y), Width(), Height());
  (void)w;
}

void TForm::Close() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  if (!can) return;
  const bool isMain = Application != nullptr && Application->MainForm() == this && !FInModal;
  TCloseAction action = isMain ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (FInModal) {
    if (FModalResult == mrNone) FModalResult = mrCancel;
    Hide();
    return;
  }
  if (isMain) {
    // Closing the main window ends the program.
    Hide();
    Application->Terminate();
    return;
  }
  // A secondary window is never destroyed: it is hidden (or minimised) and shown again later.
  if (action == caMinimize && Handle() != nullptr)
    Handle()->showMinimized();
  else
    Hide();
}

void TForm::UserClose() {
  GuardedCall([this] { Close(); });
}

int TForm::ShowModal() {
  auto* w = static_cast<TFormWidget*>(Handle());
  FModalResult = mrNone;
  FInModal = true;
  w->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  w->ModalLoop = &loop;
  try {
    Show();
  } catch (...) {
    FInModal = false;
    w->ModalLoop = nullptr;
    w->setWindowModality(Qt::NonModal);
    throw;
  }
  if (w->isVisible() && FModalResult == mrNone) loop.exec();
  w->ModalLoop = nullptr;
  FInModal = false;
  if (w->isVisible()) Hide();
  w->setWindowModality(Qt::NonModal);
  return FModalResult;
}

void TForm::SetModalResult(int Value) {
  FModalResult = Value;
  if (FInModal && Value != mrNone) Hide();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  QWidget* w = Handle();
  const bool visible = w->isVisible();
  Qt::WindowFlags f;
  switch (Value) {
    case bsNone: f = Qt::Window | Qt::FramelessWindowHint; break;
    case bsSingle:
      f = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
      break;
    case bsDialog:
      f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default: f = Qt::Window; break;
  }
  w->setWindowFlags(f);
  SetBounds(Left(), Top(), Width(), Height());
  ApplyGeometry();
  if (visible) w->show();
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  QWidget* w = Handle();
  if (w == nullptr) return;
  const bool fixed =
      FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
  if (fixed) {
    w->setFixedSize(Width(), Height());
  } else {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

void TForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  QWidget* w = Handle();
  if (w == nullptr || !w->isVisible()) return;
  if (Value == wsMaximized)
    w->showMaximized();
  else if (Value == wsMinimized)
    w->showMinimized();
  else
    w->showNormal();
}

String TForm::GetText() const { return FromQStr(Handle()->windowTitle()); }

void TForm::SetTextValue(const String& Value) { Handle()->setWindowTitle(QStr(Value)); }

void TForm::ApplyFontAndColor() { TWinControl::ApplyFontAndColor(); }

bool TForm::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Position")
    SetPosition(
        static_cast<TPosition>(DescribedEnum(Value, {{"poDesigned", poDesigned},
                                                     {"poDefault", poDefault},
                                                     {"poDefaultPosOnly", poDefaultPosOnly},
                                                     {"poDefaultSizeOnly", poDefaultSizeOnly},
                                                     {"poScreenCenter", poScreenCenter},
                                                     {"poDesktopCenter", poDesktopCenter},
                                                     {"poMainFormCenter", poMainFormCenter},
                                                     {"poOwnerFormCenter", poOwnerFormCenter}})));
  else if (Prop == "BorderStyle")
    SetBorderStyle(
        static_cast<TFormBorderStyle>(DescribedEnum(Value, {{"bsNone", bsNone},
                                                            {"bsSingle", bsSingle},
                                                            {"bsSizeable", bsSizeable},
                                                            {"bsDialog", bsDialog},
                                                            {"bsToolWindow", bsToolWindow},
                                                            {"bsSizeToolWin", bsSizeToolWin}})));
  else if (Prop == "WindowState")
    SetWindowState(static_cast<TWindowState>(DescribedEnum(
        Value,
        {{"wsNormal", wsNormal}, {"wsMinimized", wsMinimized}, {"wsMaximized", wsMaximized}})));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TForm::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnCreate")
    OnCreate = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnShow")
    OnShow = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnHide")
    OnHide = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnActivate")
    OnActivate = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnDeactivate")
    OnDeactivate = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnClose")
    OnClose = FindEventHandler<void(TObject*, TCloseAction&)>(Root, Handler, Event);
  else if (Event == "OnCloseQuery")
    OnCloseQuery = FindEventHandler<void(TObject*, bool&)>(Root, Handler, Event);
  else
    return TWinControl::SetDescribedEvent(Event, Handler, Root);
  return true;
}

TNotifyEvent TForm::FindNotifyHandler(const String& HandlerName) {
  if (!Handlers().Contains(HandlerName)) return nullptr;
  return Handlers().Find<void(TObject*)>(HandlerName, "a notify event");
}

// ---- TApplication ------------------------------------------------------------------------
TApplication* Application = new TApplication;
TScreen* Screen = new TScreen;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  static int argc = 1;
  static char name[] = "kestal";
  static char* argv[] = {name, nullptr};
  Initialize(argc, argv);
}

void TApplication::Initialize(int& argc, char** argv) {
  if (QCoreApplication::instance() == nullptr) {
    new TGuardedQApplication(argc, argv);
    FOwnsQApp = true;
  }
  // Qt sets the C library's locale from the environment; numbers never follow it.
  std::setlocale(LC_NUMERIC, "C");
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
    app->setQuitOnLastWindowClosed(false);
  // The program's own font files, before any text is laid out; a missing one raises here,
  // naming the file and its package, rather than letting text take another face.
  LoadDrawingFonts();
  // Controls whose description sets no font draw with the default one, in the family the
  // layouts were measured with, not with the desktop's choice.
  QApplication::setFont(WidgetFont(TFont()));
  RegisterToolkitClasses();
  InstallPlatformClipboard();
}

bool SaveFormImage(TForm* Form, const String& FileName) {
  if (Form == nullptr || Form->Handle() == nullptr) return false;
  return Form->Handle()->grab().save(QString::fromStdString(FileName), "PNG");
}

void TApplication::FormCreated(TForm* Form) {
  if (FMainForm == nullptr) FMainForm = Form;
}

int TApplication::Run() {
  if (QCoreApplication::instance() == nullptr) Initialize();
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
    app->setQuitOnLastWindowClosed(false);
  int code = 0;
  if (!FTerminated && FMainForm != nullptr && ShowMainForm)
    GuardedCall([this] { FMainForm->Show(); });
  if (!FTerminated) {
    FRunning = true;
    if (FCloseMainFormAfterMs >= 0)
      QTimer::singleShot(std::exchange(FCloseMainFormAfterMs, -1), Qt::PreciseTimer, QCoreApplication::instance(),
                         [this] {
                           if (FMainForm != nullptr) GuardedCall([this] { FMainForm->Close(); });
                         });
    code = QCoreApplication::exec();
    FRunning = false;
  }
  FTerminated = false;
  return code;
}

void TApplication::Terminate() {
  FTerminated = true;
  // Outside Run there is no loop to end; asking Qt to quit anyway would make every later
  // local loop (a modal window, a message box) return at once.
  if (FRunning) QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() {
  if (QCoreApplication::instance() == nullptr) return;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::HandleMessage() {
  if (QCoreApplication::instance() == nullptr) return false;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return true;
}

String TApplication::Title() const {
  if (!FTitle.empty()) return FTitle;
  if (QCoreApplication::instance() != nullptr) return FromQStr(QCoreApplication::applicationName());
  return String();
}

void TApplication::SetTitle(const String& Value) { FTitle = Value; }

void TApplication::ShowException(const std::exception& E) {
  if (dynamic_cast<const EAbort*>(&E) != nullptr) return;
  if (auto* ex = dynamic_cast<const Exception*>(&E))
    ShowErrorBox(ex->Message);
  else
    ShowErrorBox(E.what());
}

void TApplication::HandleException(std::exception_ptr E) {
  if (!E) return;
  if (OnException) {
    OnException(E);
    return;
  }
  try {
    try {
      std::rethrow_exception(E);
    } catch (const std::exception& e) {
      ShowException(e);
    } catch (...) {
      ShowErrorBox("");
    }
  } catch (...) {
    // The error box itself failed: nothing more can be shown.
  }
}

int TApplication::MessageBox(const String& Text, const String& Caption, unsigned Flags) {
  return ::MessageBox(Text, Caption, Flags);
}

void TApplication::DestroyComponents() {
  FMainForm = nullptr;
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TApplication::Finalize() {
  DestroyComponents();
  if (FOwnsQApp) {
    FOwnsQApp = false;
    delete QCoreApplication::instance();
  }
}

// ---- TScreen -----------------------------------------------------------------------------
struct TScreen::CustomCursor {
  QCursor cursor;
};

TScreen::TScreen() : TComponent(nullptr) {}

static Qt::CursorShape ShapeOf(TCursor C) {
  switch (C) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
  }
}

void TScreen::SetCursor(TCursor Value) {
  FCursor = Value;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (Value == crDefault) {
    while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
    return;
  }
  QCursor c(ShapeOf(Value));
  auto it = FCustom.find(Value);
  if (it != FCustom.end()) c = it->second->cursor;
  if (QGuiApplication::overrideCursor() != nullptr)
    QGuiApplication::changeOverrideCursor(c);
  else
    QGuiApplication::setOverrideCursor(c);
}

void TScreen::SetCustomCursor(TCursor Index, const TBitmap& Image, int HotX, int HotY) {
  auto cc = std::make_shared<CustomCursor>();
  cc->cursor = QCursor(QPixmap::fromImage(BitmapImage(&Image)), HotX, HotY);
  FCustom[Index] = cc;
}

bool TScreen::HasCursor(TCursor Index) const { return Index <= 0 || FCustom.count(Index) != 0; }

int TScreen::Width() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().width() : 0;
}

int TScreen::Height() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().height() : 0;
}

TForm* TScreen::ActiveForm() const {
  if (Application == nullptr) return nullptr;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TForm*>(Application->Components(i)); f != nullptr && f->Active())
      return f;
  return nullptr;
}
