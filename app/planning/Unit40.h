#pragma once
// Window "Drift scan planner".

#include "Forms.h"

class TForm40 : public TForm {
public:
  explicit TForm40(TComponent* AOwner);
  String ClassName() const override { return "TForm40"; }
};

extern TForm40* Form40;
