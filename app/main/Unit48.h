#pragma once
// Window "Age".

#include "Forms.h"

class TForm48 : public TForm {
public:
  explicit TForm48(TComponent* AOwner);
  String ClassName() const override { return "TForm48"; }
};

extern TForm48* Form48;
