#include "Unit40.h"

#include "NotBuiltYet.h"

TForm40* Form40 = nullptr;

TForm40::TForm40(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit40");
  MarkNotBuiltYet(this);
}
