#include "Unit17.h"

TForm17* Form17 = nullptr;

TForm17::TForm17(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit17"); }
