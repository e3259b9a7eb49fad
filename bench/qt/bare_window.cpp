// The yardstick of the start-up benchmark: the least a Qt 6 program does to show a main window
// and close it again, the way kestal closes its own (a timer 1 ms after the loop starts).
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.show();
  QTimer::singleShot(1, &window, &QMainWindow::close);
  return app.exec();
}
