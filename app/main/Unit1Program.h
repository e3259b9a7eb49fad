#pragma once
// The program as a whole: start-up of the run-time and the libraries, and the creation of
// every window, once, in the order their start-up code depends on (the main window first:
// the others read its results while they are built).

// Initialises the run-time, the library and the component registries. Called once, before
// the application object exists.
void InitKestal();

// Creates every window in order (Form1, Form2, Form4 ... Form53). An exception escaping a
// window's construction is shown in the standard error box and passed on.
void CreateKestalForms();
