#include "Unit47.h"

#include "NotBuiltYet.h"

TForm47* Form47 = nullptr;

TForm47::TForm47(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit47");
  MarkNotBuiltYet(this);
}
