#include "Unit20.h"

#include "NotBuiltYet.h"

TForm20* Form20 = nullptr;

TForm20::TForm20(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit20");
  MarkNotBuiltYet(this);
}
