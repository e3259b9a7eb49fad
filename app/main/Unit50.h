#pragma once
// Window "G/T ratio".

#include "Forms.h"

class TForm50 : public TForm {
public:
  explicit TForm50(TComponent* AOwner);
  String ClassName() const override { return "TForm50"; }
};

extern TForm50* Form50;
