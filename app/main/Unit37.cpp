#include "Unit37.h"

#include "NotBuiltYet.h"

TForm37* Form37 = nullptr;

TForm37::TForm37(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit37");
  MarkNotBuiltYet(this);
}
