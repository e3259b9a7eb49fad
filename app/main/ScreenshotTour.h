#pragma once
// Screenshots of every window, for checking layouts and legibility without a person at the
// screen (scripts/screenshots.sh).

#include "SysUtils.h"

// Saves <Folder>/<FormN>.png for every window: the main window after CALCULATE with the first
// detectable pulsar selected (Form1.png), at start (Form1_start.png) and in System evaluation
// mode (Form1_evaluation.png), the full list after "Show all PSR List", the sort dialog and
// each other window as it first shows. Message boxes are answered with their default button
// and listed on standard error. Returns the number of pictures that could not be written.
int RunScreenshotTour(const String& Folder);
