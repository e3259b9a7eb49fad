#include "Unit12.h"

#include "NotBuiltYet.h"

TForm12* Form12 = nullptr;

TForm12::TForm12(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit12");
  MarkNotBuiltYet(this);
}
