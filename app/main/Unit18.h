#pragma once
// Window "Dish Gain".

#include "Forms.h"

class TForm18 : public TForm {
public:
  explicit TForm18(TComponent* AOwner);
  String ClassName() const override { return "TForm18"; }
};

extern TForm18* Form18;
