#pragma once
// Window "Ks Sensitivity constant".

#include "Forms.h"

class TForm5 : public TForm {
public:
  explicit TForm5(TComponent* AOwner);
  String ClassName() const override { return "TForm5"; }
};

extern TForm5* Form5;
