#include "Unit53.h"

#include "NotBuiltYet.h"

TForm53* Form53 = nullptr;

TForm53::TForm53(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit53");
  MarkNotBuiltYet(this);
}
