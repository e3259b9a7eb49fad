#pragma once
// Window "T Spillover".

#include "Forms.h"

class TForm7 : public TForm {
public:
  explicit TForm7(TComponent* AOwner);
  String ClassName() const override { return "TForm7"; }
};

extern TForm7* Form7;
