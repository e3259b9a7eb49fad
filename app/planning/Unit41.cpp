#include "Unit41.h"

#include "NotBuiltYet.h"

TForm41* Form41 = nullptr;

TForm41::TForm41(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit41");
  MarkNotBuiltYet(this);
}
