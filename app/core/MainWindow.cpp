#include "MainWindow.h"

TMainWindow* MainWindow = nullptr;
