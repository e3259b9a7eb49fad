#include "Unit34.h"

#include "NotBuiltYet.h"

TForm34* Form34 = nullptr;

TForm34::TForm34(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit34");
  MarkNotBuiltYet(this);
  KESTAL_BIND(ListView1);
  KESTAL_BIND(Button7);
}
