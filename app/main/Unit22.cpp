#include "Unit22.h"

#include "NotBuiltYet.h"

TForm22* Form22 = nullptr;

TForm22::TForm22(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit22");
  MarkNotBuiltYet(this);
}
