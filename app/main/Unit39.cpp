#include "Unit39.h"

#include "NotBuiltYet.h"

TForm39* Form39 = nullptr;

TForm39::TForm39(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit39");
  MarkNotBuiltYet(this);
}
