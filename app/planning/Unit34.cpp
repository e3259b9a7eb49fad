#include "Unit34.h"

TForm34* Form34 = nullptr;

TForm34::TForm34(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit34");
  KESTAL_BIND(ListView1);
  KESTAL_BIND(Button7);
}
