// The translation of a control's Qt events into its virtual methods (MouseDown, KeyPress,
// Resize, ...), each call through the exception router.

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QWheelEvent>

#include "ControlsQt.h"

TShiftState ShiftFromQt(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons) {
  TShiftState s = 0;
  if (Mods & Qt::ShiftModifier) s |= ssShift;
  if (Mods & Qt::AltModifier) s |= ssAlt;
  if (Mods & Qt::ControlModifier) s |= ssCtrl;
  if (Buttons & Qt::LeftButton) s |= ssLeft;
  if (Buttons & Qt::RightButton) s |= ssRight;
  if (Buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

namespace {

bool MouseButtonOf(Qt::MouseButton B, TMouseButton& Out) {
  switch (B) {
    case Qt::LeftButton: Out = mbLeft; return true;
    case Qt::RightButton: Out = mbRight; return true;
    case Qt::MiddleButton: Out = mbMiddle; return true;
    default: return false;
  }
}

Word VirtualKey(const QKeyEvent* E) {
  const int k = E->key();
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<Word>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<Word>('0' + (k - Qt::Key_0));
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return static_cast<Word>(VK_F1 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

// The character a key types, as the platform reports it to OnKeyPress: control characters for
// backspace, enter, escape and Ctrl+letter; 0 for keys that type nothing.
wchar_t TypedChar(const QKeyEvent* E) {
  const int k = E->key();
  if (k == Qt::Key_Backspace) return 8;
  if (k == Qt::Key_Return || k == Qt::Key_Enter) return 13;
  if (k == Qt::Key_Escape) return 27;
  if ((E->modifiers() & Qt::ControlModifier) && k >= Qt::Key_A && k <= Qt::Key_Z)
    return static_cast<wchar_t>(1 + (k - Qt::Key_A));
  const QString t = E->text();
  if (t.isEmpty()) return 0;
  const uint cp = t.toUcs4().value(0);
  if (cp < 32 || cp == 127) return 0;
  return static_cast<wchar_t>(cp);
}

}  // namespace

void TControlEventFilter::Watch(QWidget* W) {
  W->installEventFilter(this);
  W->setMouseTracking(true);
}

bool TControlEventFilter::eventFilter(QObject* Watched, QEvent* Event) {
  QWidget* w = FControl->Handle();
  if (w == nullptr) return false;
  // A host widget whose face is an inner widget (its focus proxy, a grid's table view): the
  // focus and the keys are the inner widget's, the rest is the host's. Mouse input the inner
  // widget leaves and keys it does not take reach the host afterwards; counting them at one
  // of the two keeps each event one call.
  QWidget* inner = w->focusProxy();
  if (inner != nullptr && (Watched == w || Watched == inner)) {
    const QEvent::Type t = Event->type();
    const bool keyOrFocus = t == QEvent::KeyPress || t == QEvent::KeyRelease ||
                            t == QEvent::FocusIn || t == QEvent::FocusOut;
    if (keyOrFocus != (Watched == inner)) return false;
  }
  if (!w->isEnabled() && PassedOnWhileDisabled(Event)) return false;
  // Enter, leave, size, place and focus count only for the control's own widget.
  const bool own = Watched == w || (inner != nullptr && Watched == inner);
  switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      MousePressed(Watched, static_cast<QMouseEvent*>(Event),
                   Event->type() == QEvent::MouseButtonDblClick);
      return false;
    case QEvent::MouseMove: MouseMoved(Watched, static_cast<QMouseEvent*>(Event)); return false;
    case QEvent::MouseButtonRelease:
      MouseReleased(Watched, static_cast<QMouseEvent*>(Event));
      return false;
    case QEvent::Wheel: return WheelTurned(Watched, static_cast<QWheelEvent*>(Event));
    case QEvent::Enter:
      if (own) GuardedCall([&] { FControl->MouseEnter(); });
      return false;
    case QEvent::Leave:
      if (own) GuardedCall([&] { FControl->MouseLeave(); });
      return false;
    case QEvent::Resize:
      if (own) Resized(static_cast<QResizeEvent*>(Event));
      return false;
    case QEvent::Move:
      if (own) Moved();
      return false;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      if (own) FocusChanged(static_cast<QFocusEvent*>(Event));
      return false;
    case QEvent::KeyPress: return KeyPressed(static_cast<QKeyEvent*>(Event));
    case QEvent::KeyRelease: return KeyReleased(static_cast<QKeyEvent*>(Event));
    default: return false;
  }
}

QPoint TControlEventFilter::ToControl(QObject* Watched, const QPointF& P) const {
  QWidget* w = FControl->Handle();
  QPoint pt = P.toPoint();
  if (Watched != w) pt = static_cast<QWidget*>(Watched)->mapTo(w, pt);
  return pt;
}

// A disabled control (or one on a disabled parent) takes no mouse input; Qt hands the event on
// to the parent widget, whose control then gets it, as the platform does.
bool TControlEventFilter::PassedOnWhileDisabled(const QEvent* Event) {
  switch (Event->type()) {
    case QEvent::MouseButtonRelease: FControl->FPressed = false; return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel: return true;
    default: return false;
  }
}

void TControlEventFilter::MousePressed(QObject* Watched, const QMouseEvent* E, bool Double) {
  TControl* c = FControl;
  TMouseButton b;
  if (!MouseButtonOf(E->button(), b)) return;
  const QPoint p = ToControl(Watched, E->position());
  TShiftState s = ShiftFromQt(E->modifiers(), E->buttons());
  if (Double) {
    GuardedCall([&] { c->DblClick(); });
    s |= ssDouble;
  }
  if (b == mbLeft) c->FPressed = true;
  GuardedCall([&] { c->MouseDown(b, s, p.x(), p.y()); });
}

void TControlEventFilter::MouseMoved(QObject* Watched, const QMouseEvent* E) {
  const QPoint p = ToControl(Watched, E->position());
  GuardedCall(
      [&] { FControl->MouseMove(ShiftFromQt(E->modifiers(), E->buttons()), p.x(), p.y()); });
}

// A left press and release inside the control is a click; the control (or its window) may be
// gone once OnMouseUp has run.
void TControlEventFilter::MouseReleased(QObject* Watched, const QMouseEvent* E) {
  TControl* c = FControl;
  TMouseButton b;
  if (!MouseButtonOf(E->button(), b)) return;
  const QPoint p = ToControl(Watched, E->position());
  const bool wasPressed = c->FPressed;
  if (b == mbLeft) c->FPressed = false;
  QPointer<QWidget> guard(c->Handle());
  GuardedCall([&] { c->MouseUp(b, ShiftFromQt(E->modifiers(), E->buttons()), p.x(), p.y()); });
  if (guard && c->FClickOnMouseUp && b == mbLeft && wasPressed && guard->rect().contains(p))
    GuardedCall([&] { c->Click(); });
}

bool TControlEventFilter::WheelTurned(QObject* Watched, const QWheelEvent* E) {
  const QPoint p = ToControl(Watched, E->position());
  bool handled = false;
  GuardedCall([&] {
    handled = FControl->MouseWheel(ShiftFromQt(E->modifiers(), E->buttons()), E->angleDelta().y(),
                                   Point(p.x(), p.y()));
  });
  return handled;
}

// Only windows are resized and moved by someone else (the window manager).
void TControlEventFilter::Resized(const QResizeEvent* E) {
  TControl* c = FControl;
  if (!c->IsWindowControl()) return;
  const QSize sz = E->size();
  if (sz.width() == c->FWidth && sz.height() == c->FHeight) return;
  c->FWidth = sz.width();
  c->FHeight = sz.height();
  if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->Realign();
  GuardedCall([&] { c->Resize(); });
}

void TControlEventFilter::Moved() {
  TControl* c = FControl;
  if (!c->IsWindowControl()) return;
  c->FLeft = c->Handle()->geometry().x();
  c->FTop = c->Handle()->geometry().y();
}

void TControlEventFilter::FocusChanged(const QFocusEvent* E) {
  auto* wc = dynamic_cast<TWinControl*>(FControl);
  if (wc == nullptr) return;
  // Switching to another window or opening a menu is no exit from the control.
  if (E->reason() == Qt::ActiveWindowFocusReason || E->reason() == Qt::PopupFocusReason) return;
  if (E->type() == QEvent::FocusIn)
    GuardedCall([&] { wc->DoEnter(); });
  else
    GuardedCall([&] { wc->DoExit(); });
}

// OnKeyDown may clear the key (the widget then never sees it); OnKeyPress may clear or replace
// the typed character, and a line edit then takes the replacement instead.
bool TControlEventFilter::KeyPressed(const QKeyEvent* E) {
  auto* wc = dynamic_cast<TWinControl*>(FControl);
  if (wc == nullptr || !wc->FWantsKeyPress) return false;
  Word key = VirtualKey(E);
  if (key != 0) {
    GuardedCall([&] { wc->KeyDown(key, ShiftFromQt(E->modifiers(), Qt::NoButton)); });
    if (key == 0) return true;
    if (VirtualKey(E) == VK_TAB && wc->FWantsTab) return true;
  }
  const wchar_t typed = TypedChar(E);
  if (typed == 0) return false;
  wchar_t ch = typed;
  GuardedCall([&] { wc->KeyPress(ch); });
  if (ch == 0) return true;
  if (ch == typed) return false;
  if (auto* le = qobject_cast<QLineEdit*>(wc->Handle())) {
    if (ch >= 32) le->insert(QString::fromUcs4(reinterpret_cast<const char32_t*>(&ch), 1));
  }
  return true;
}

bool TControlEventFilter::KeyReleased(const QKeyEvent* E) {
  auto* wc = dynamic_cast<TWinControl*>(FControl);
  if (wc == nullptr || !wc->FWantsKeyPress) return false;
  Word key = VirtualKey(E);
  if (key != 0) GuardedCall([&] { wc->KeyUp(key, ShiftFromQt(E->modifiers(), Qt::NoButton)); });
  // A key that OnKeyUp cleared does not reach the widget.
  return key == 0 && VirtualKey(E) != 0;
}
