#pragma once
// Window "MDS".

#include "Forms.h"

class TForm21 : public TForm {
public:
  explicit TForm21(TComponent* AOwner);
  String ClassName() const override { return "TForm21"; }
};

extern TForm21* Form21;
