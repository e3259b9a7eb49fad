#pragma once
// Window "T System".

#include "Forms.h"

class TForm19 : public TForm {
public:
  explicit TForm19(TComponent* AOwner);
  String ClassName() const override { return "TForm19"; }
};

extern TForm19* Form19;
