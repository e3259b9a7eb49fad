#pragma once
// Window "Revision History".

#include "Forms.h"

class TForm12 : public TForm {
public:
  explicit TForm12(TComponent* AOwner);
  String ClassName() const override { return "TForm12"; }
};

extern TForm12* Form12;
