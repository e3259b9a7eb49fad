#pragma once
// Acting as the user on the widgets behind the toolkit's controls: real mouse and key events
// through Qt's event delivery, so the toolkit sees what a person would cause.
#include <QPoint>
#include <QString>

#include "Controls.h"
#include "ControlsQt.h"

class QWidget;

namespace ui {
QWidget* W(const TControl* C);
void Click(QWidget* W, QPoint At = QPoint(-1, -1), Qt::MouseButton B = Qt::LeftButton);
void Press(QWidget* W, QPoint At, Qt::MouseButton B = Qt::LeftButton);
void Release(QWidget* W, QPoint At, Qt::MouseButton B = Qt::LeftButton);
void Key(QWidget* W, int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier,
         const QString& Text = QString());
void Type(QWidget* W, const QString& Text);
// Runs the event loop for Ms milliseconds.
void Pump(int Ms);
}  // namespace ui
