#include "Unit48.h"

#include "NotBuiltYet.h"

TForm48* Form48 = nullptr;

TForm48::TForm48(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit48");
  MarkNotBuiltYet(this);
}
