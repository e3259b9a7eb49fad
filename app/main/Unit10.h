#pragma once
// Window "Form10": created at start like every window, opened by no control; it holds nothing.

#include "Forms.h"

class TForm10 : public TForm {
public:
  explicit TForm10(TComponent* AOwner);
  String ClassName() const override { return "TForm10"; }
};

extern TForm10* Form10;
