#pragma once
// Window "Distance".

#include "Forms.h"

class TForm49 : public TForm {
public:
  explicit TForm49(TComponent* AOwner);
  String ClassName() const override { return "TForm49"; }
};

extern TForm49* Form49;
