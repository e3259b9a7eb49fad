#pragma once
// Window "Plot".

#include "Forms.h"

class TForm53 : public TForm {
public:
  explicit TForm53(TComponent* AOwner);
  String ClassName() const override { return "TForm53"; }
};

extern TForm53* Form53;
