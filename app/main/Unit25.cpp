#include "Unit25.h"

#include "NotBuiltYet.h"

TForm25* Form25 = nullptr;

TForm25::TForm25(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit25");
  MarkNotBuiltYet(this);
}
