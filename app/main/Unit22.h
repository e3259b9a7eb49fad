#pragma once
// Window "Form22": created at start like every window, opened by no control; it holds nothing.

#include "Forms.h"

class TForm22 : public TForm {
public:
  explicit TForm22(TComponent* AOwner);
  String ClassName() const override { return "TForm22"; }
};

extern TForm22* Form22;
