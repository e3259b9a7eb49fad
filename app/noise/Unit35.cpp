#include "Unit35.h"

#include "NotBuiltYet.h"

TForm35* Form35 = nullptr;

TForm35::TForm35(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit35");
  MarkNotBuiltYet(this);
  KESTAL_BIND(StringGrid1);
  KESTAL_BIND(Edit1);
  KESTAL_BIND(Edit2);
  KESTAL_BIND(Edit3);
}
