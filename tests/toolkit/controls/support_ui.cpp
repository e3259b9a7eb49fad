#include "support_ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace ui {

QWidget* W(const TControl* C) { return C->Handle(); }

static void Mouse(QWidget* W, QEvent::Type T, QPoint At, Qt::MouseButton B) {
  if (At.x() < 0) At = W->rect().center();
  const Qt::MouseButtons held =
      T == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(B);
  QMouseEvent e(T, QPointF(At), QPointF(W->mapToGlobal(At)), B, held, Qt::NoModifier);
  QApplication::sendEvent(W, &e);
}

void Press(QWidget* W, QPoint At, Qt::MouseButton B) { Mouse(W, QEvent::MouseButtonPress, At, B); }
void Release(QWidget* W, QPoint At, Qt::MouseButton B) {
  Mouse(W, QEvent::MouseButtonRelease, At, B);
}

void Click(QWidget* W, QPoint At, Qt::MouseButton B) {
  Press(W, At, B);
  Release(W, At, B);
}

void Key(QWidget* W, int K, Qt::KeyboardModifiers Mods, const QString& Text) {
  QKeyEvent press(QEvent::KeyPress, K, Mods, Text);
  QApplication::sendEvent(W, &press);
  QKeyEvent release(QEvent::KeyRelease, K, Mods, Text);
  QApplication::sendEvent(W, &release);
}

void Type(QWidget* W, const QString& Text) {
  for (QChar c : Text) {
    int k = c.toUpper().unicode();
    Key(W, k, Qt::NoModifier, QString(c));
  }
}

void Pump(int Ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < Ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace ui
