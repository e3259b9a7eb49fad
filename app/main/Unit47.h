#pragma once
// Window "Tracking".

#include "Forms.h"

class TForm47 : public TForm {
public:
  explicit TForm47(TComponent* AOwner);
  String ClassName() const override { return "TForm47"; }
};

extern TForm47* Form47;
