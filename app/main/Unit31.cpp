#include "Unit31.h"

#include "NotBuiltYet.h"

TForm31* Form31 = nullptr;

TForm31::TForm31(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit31");
  MarkNotBuiltYet(this);
}
