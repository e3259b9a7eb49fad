#pragma once
// Window "Form31": created at start like every window, opened by no control; it holds nothing.

#include "Forms.h"

class TForm31 : public TForm {
public:
  explicit TForm31(TComponent* AOwner);
  String ClassName() const override { return "TForm31"; }
};

extern TForm31* Form31;
