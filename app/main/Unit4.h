#pragma once
// Window "Set Observer location".

#include "Forms.h"

class TForm4 : public TForm {
public:
  explicit TForm4(TComponent* AOwner);
  String ClassName() const override { return "TForm4"; }
};

extern TForm4* Form4;
