#pragma once
// Window "T Sky".

#include "Forms.h"

class TForm6 : public TForm {
public:
  explicit TForm6(TComponent* AOwner);
  String ClassName() const override { return "TForm6"; }
};

extern TForm6* Form6;
