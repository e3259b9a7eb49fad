#pragma once
// Window "Noise sources tracking".

#include "Forms.h"

class TForm2 : public TForm {
public:
  explicit TForm2(TComponent* AOwner);
  String ClassName() const override { return "TForm2"; }
};

extern TForm2* Form2;
