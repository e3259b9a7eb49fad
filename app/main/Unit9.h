#pragma once
// Window "Form9": created at start like every window, opened by no control; it holds nothing.

#include "Forms.h"

class TForm9 : public TForm {
public:
  explicit TForm9(TComponent* AOwner);
  String ClassName() const override { return "TForm9"; }
};

extern TForm9* Form9;
