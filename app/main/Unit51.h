#pragma once
// Window "Noise floor".

#include "Forms.h"

class TForm51 : public TForm {
public:
  explicit TForm51(TComponent* AOwner);
  String ClassName() const override { return "TForm51"; }
};

extern TForm51* Form51;
