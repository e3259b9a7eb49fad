#pragma once
// Window "Active tracking".

#include "Forms.h"

class TForm39 : public TForm {
public:
  explicit TForm39(TComponent* AOwner);
  String ClassName() const override { return "TForm39"; }
};

extern TForm39* Form39;
