#pragma once
// Window "Pulsar flow @400 MHz".

#include "Forms.h"

class TForm25 : public TForm {
public:
  explicit TForm25(TComponent* AOwner);
  String ClassName() const override { return "TForm25"; }
};

extern TForm25* Form25;
