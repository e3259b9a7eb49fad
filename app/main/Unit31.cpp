#include "Unit31.h"

TForm31* Form31 = nullptr;

TForm31::TForm31(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit31"); }
