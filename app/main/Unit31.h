#pragma once
// Window "Form31".

#include "Forms.h"

class TForm31 : public TForm {
public:
  explicit TForm31(TComponent* AOwner);
  String ClassName() const override { return "TForm31"; }
};

extern TForm31* Form31;
