#include "Unit19.h"

#include "NotBuiltYet.h"

TForm19* Form19 = nullptr;

TForm19::TForm19(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit19");
  MarkNotBuiltYet(this);
}
