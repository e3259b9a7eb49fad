#pragma once
// Window "24h Pulsar tracking".

#include "Forms.h"

class TForm13 : public TForm {
public:
  explicit TForm13(TComponent* AOwner);
  String ClassName() const override { return "TForm13"; }
};

extern TForm13* Form13;
