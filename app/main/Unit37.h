#pragma once
// Window "Form37": created at start like every window, opened by no control; it holds nothing.

#include "Forms.h"

class TForm37 : public TForm {
public:
  explicit TForm37(TComponent* AOwner);
  String ClassName() const override { return "TForm37"; }
};

extern TForm37* Form37;
