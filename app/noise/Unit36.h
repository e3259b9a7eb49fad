#pragma once
// The Y-factor window of the Moon and the radio sources.

#include "Forms.h"

class TForm36 : public TForm {
public:
  explicit TForm36(TComponent* AOwner);
  String ClassName() const override { return "TForm36"; }
};

extern TForm36* Form36;
