#include "Unit50.h"

TForm50* Form50 = nullptr;

TForm50::TForm50(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit50"); }
