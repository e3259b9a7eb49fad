#pragma once
// Window "Tracking planner".

#include "Forms.h"

class TForm41 : public TForm {
public:
  explicit TForm41(TComponent* AOwner);
  String ClassName() const override { return "TForm41"; }
};

extern TForm41* Form41;
