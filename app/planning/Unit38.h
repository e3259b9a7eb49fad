#pragma once
// The observation planner: an observing day hour by hour for the main window's pulsars.

#include "Forms.h"

class TForm38 : public TForm {
public:
  explicit TForm38(TComponent* AOwner);
  String ClassName() const override { return "TForm38"; }
  TButton* Button1 = nullptr;  // "Re-calculate"
  // Rebuilds the planning grid from the main window's state. The grid itself comes with the
  // planner; until then there is nothing to rebuild.
  void Button1Click(TObject* Sender);
};

extern TForm38* Form38;
