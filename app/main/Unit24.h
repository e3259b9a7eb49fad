#pragma once
// Window "Pulsar Dispersion measure".

#include "Forms.h"

class TForm24 : public TForm {
public:
  explicit TForm24(TComponent* AOwner);
  String ClassName() const override { return "TForm24"; }
};

extern TForm24* Form24;
