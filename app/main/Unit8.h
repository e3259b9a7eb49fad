#pragma once
// Window "T Atmosphere".

#include "Forms.h"

class TForm8 : public TForm {
public:
  explicit TForm8(TComponent* AOwner);
  String ClassName() const override { return "TForm8"; }
};

extern TForm8* Form8;
