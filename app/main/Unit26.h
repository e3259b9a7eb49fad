#pragma once
// Window "Pulsar flow @ 1,400 Mhz".

#include "Forms.h"

class TForm26 : public TForm {
public:
  explicit TForm26(TComponent* AOwner);
  String ClassName() const override { return "TForm26"; }
};

extern TForm26* Form26;
