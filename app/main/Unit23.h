#pragma once
// Window "Pulsar Period".

#include "Forms.h"

class TForm23 : public TForm {
public:
  explicit TForm23(TComponent* AOwner);
  String ClassName() const override { return "TForm23"; }
};

extern TForm23* Form23;
