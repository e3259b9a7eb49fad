#include "Unit20.h"

TForm20* Form20 = nullptr;

TForm20::TForm20(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit20"); }
