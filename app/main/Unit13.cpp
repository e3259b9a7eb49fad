#include "Unit13.h"

TForm13* Form13 = nullptr;

TForm13::TForm13(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit13"); }
