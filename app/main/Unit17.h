#pragma once
// Window "Far Field".

#include "Forms.h"

class TForm17 : public TForm {
public:
  explicit TForm17(TComponent* AOwner);
  String ClassName() const override { return "TForm17"; }
};

extern TForm17* Form17;
