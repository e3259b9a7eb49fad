#pragma once
// Window "Form37".

#include "Forms.h"

class TForm37 : public TForm {
public:
  explicit TForm37(TComponent* AOwner);
  String ClassName() const override { return "TForm37"; }
};

extern TForm37* Form37;
