#pragma once
// The controls' bridge to Qt: for the toolkit's own .cpp files only.

#include <functional>

#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>

class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QResizeEvent;
class QWheelEvent;

#include "Controls.h"

// A control's opaque widget handle and the widget it stands for.
inline QWidget* Widget(TNativeWidget* N) { return reinterpret_cast<QWidget*>(N); }
inline TNativeWidget* Native(QWidget* W) { return reinterpret_cast<TNativeWidget*>(W); }
inline auto TControl::Handle() const { return Widget(FWidget); }

inline QString QStr(const String& S) {
  return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}
inline String FromQStr(const QString& S) { return S.toUtf8().toStdString(); }

// Watches a control's widget (and, for scrolling views, their viewport) and turns mouse, key,
// focus and resize events into the control's virtual methods, each through the exception
// router.
class TControlEventFilter : public QObject {
public:
  explicit TControlEventFilter(TControl* Control) : FControl(Control) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  // Also watch a child widget (a view's viewport) whose coordinates map onto the control.
  void Watch(QWidget* W);

private:
  // One translation per kind of event. Watched is the widget the event came to (the control's
  // own, or a watched child); the mouse and wheel ones return true when the event is consumed.
  QPoint ToControl(QObject* Watched, const QPointF& P) const;
  bool PassedOnWhileDisabled(const QEvent* Event);
  void MousePressed(QObject* Watched, const QMouseEvent* E, bool Double);
  void MouseMoved(QObject* Watched, const QMouseEvent* E);
  void MouseReleased(QObject* Watched, const QMouseEvent* E);
  bool WheelTurned(QObject* Watched, const QWheelEvent* E);
  void Resized(const QResizeEvent* E);
  void Moved();
  void FocusChanged(const QFocusEvent* E);
  bool KeyPressed(const QKeyEvent* E);
  bool KeyReleased(const QKeyEvent* E);
  TControl* FControl;
};

TShiftState ShiftFromQt(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons);

// Enumerated property values by name, for SetDescribedProperty.
int DescribedEnum(const TPropValue& Value,
                  std::initializer_list<std::pair<const char*, int>> Names);
TColor DescribedColor(const TPropValue& Value);
// Font.Name, Font.Size, Font.Style, Font.Color, Font.Height: Sub is the part after "Font.".
bool SetDescribedFont(TFont* Font, const String& Sub, const TPropValue& Value);
// Items.Strings = ( ... ) or Lines.Strings.
void SetDescribedStrings(TStrings* Strings, const TPropValue& Value);
Qt::Alignment QtAlignment(int Alignment);  // taLeftJustify, taRightJustify, taCenter

// Runs Code with the widget's signals blocked (code changes that must fire no event).
template <class F>
void Silently(QObject* O, F&& Code) {
  const bool was = O->blockSignals(true);
  Code();
  O->blockSignals(was);
}

// An event filter that runs a function (return true to swallow the event).
class TLambdaFilter : public QObject {
public:
  TLambdaFilter(QObject* Parent, std::function<bool(QObject*, QEvent*)> Fn)
      : QObject(Parent), FFn(std::move(Fn)) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override { return FFn(Watched, Event); }

private:
  std::function<bool(QObject*, QEvent*)> FFn;
};
