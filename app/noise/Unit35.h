#pragma once
// The sun-noise window: the day's solar flux list and the sun's Y-factor at the working
// frequency.

#include "Forms.h"
#include "Grids.h"

class TForm35 : public TForm {
public:
  explicit TForm35(TComponent* AOwner);
  String ClassName() const override { return "TForm35"; }
  TStringGrid* StringGrid1 = nullptr;
  TEdit* Edit1 = nullptr;  // frequency, MHz
  TEdit* Edit2 = nullptr;  // calculated sun flux, Jy
  TEdit* Edit3 = nullptr;  // sun-noise Y-factor, dB
};

extern TForm35* Form35;
