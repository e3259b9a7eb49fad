#include "Unit10.h"

#include "NotBuiltYet.h"

TForm10* Form10 = nullptr;

TForm10::TForm10(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit10");
  MarkNotBuiltYet(this);
}
