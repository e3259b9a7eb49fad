#include "Unit17.h"

#include "NotBuiltYet.h"

TForm17* Form17 = nullptr;

TForm17::TForm17(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit17");
  MarkNotBuiltYet(this);
}
