#pragma once
// Window "System noise figure".

#include "Forms.h"

class TForm20 : public TForm {
public:
  explicit TForm20(TComponent* AOwner);
  String ClassName() const override { return "TForm20"; }
};

extern TForm20* Form20;
