#pragma once
// Window "HPBW".

#include "Forms.h"

class TForm29 : public TForm {
public:
  explicit TForm29(TComponent* AOwner);
  String ClassName() const override { return "TForm29"; }
};

extern TForm29* Form29;
