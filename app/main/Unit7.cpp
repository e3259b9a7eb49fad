#include "Unit7.h"

TForm7* Form7 = nullptr;

TForm7::TForm7(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit7"); }
