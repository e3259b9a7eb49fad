#pragma once
// Window "Effective antenna aperture".

#include "Forms.h"

class TForm11 : public TForm {
public:
  explicit TForm11(TComponent* AOwner);
  String ClassName() const override { return "TForm11"; }
};

extern TForm11* Form11;
