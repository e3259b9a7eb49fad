#include "Unit36.h"

#include "NotBuiltYet.h"

TForm36* Form36 = nullptr;

TForm36::TForm36(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit36");
  MarkNotBuiltYet(this);
}
