#include "Unit19.h"

TForm19* Form19 = nullptr;

TForm19::TForm19(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit19"); }
