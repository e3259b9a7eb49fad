#pragma once
// Window "Expected system S/N ratio for the specific Pulsar".

#include "Forms.h"

class TForm28 : public TForm {
public:
  explicit TForm28(TComponent* AOwner);
  String ClassName() const override { return "TForm28"; }
};

extern TForm28* Form28;
