#include "Unit8.h"

#include "NotBuiltYet.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit8");
  MarkNotBuiltYet(this);
}
