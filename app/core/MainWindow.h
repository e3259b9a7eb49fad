#pragma once
// What the other windows may ask of the main window: its state (they read it, the location
// dialog writes the observer into it) and a few calls. Declared in the core so that the planning
// and noise windows, and the location dialog, depend on this and not on the main window's unit.

#include "KestalState.h"

class TMainWindow : public TKestalState {
public:
  virtual ~TMainWindow() = default;

  virtual void ShowMainWindow() = 0;
  virtual void HideMainWindow() = 0;
  // The plan and the full pulsar list belong to the last CALCULATE: their buttons wait for the
  // next one.
  virtual void PlanNeedsCalculate() = 0;
  // Writes the configuration from the current fields; the saved locations are carried over, or
  // dropped. Nothing is written when a field does not convert.
  virtual void SaveSettings(bool KeepSavedLocations) = 0;
  // A saved location was made the current one: labels, clocks and the configuration follow.
  virtual void LocationChosen() = 0;
  // The saved locations were dropped: the user may set a location again.
  virtual void EnableSetLocation() = 0;
};

// The main window once it is built, null before and after; the windows that test on their own
// run without one.
extern TMainWindow* MainWindow;
