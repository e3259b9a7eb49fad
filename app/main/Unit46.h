#pragma once
// Window "Pulse width".

#include "Forms.h"

class TForm46 : public TForm {
public:
  explicit TForm46(TComponent* AOwner);
  String ClassName() const override { return "TForm46"; }
};

extern TForm46* Form46;
