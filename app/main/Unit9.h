#pragma once
// Window "Form9".

#include "Forms.h"

class TForm9 : public TForm {
public:
  explicit TForm9(TComponent* AOwner);
  String ClassName() const override { return "TForm9"; }
};

extern TForm9* Form9;
