#include "Unit27.h"

#include "NotBuiltYet.h"

TForm27* Form27 = nullptr;

TForm27::TForm27(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit27");
  MarkNotBuiltYet(this);
}
