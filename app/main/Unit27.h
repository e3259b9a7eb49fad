#pragma once
// Window "Pulsar Max integration bandwidth allowed without de-dispersion".

#include "Forms.h"

class TForm27 : public TForm {
public:
  explicit TForm27(TComponent* AOwner);
  String ClassName() const override { return "TForm27"; }
};

extern TForm27* Form27;
