#include "Unit26.h"

TForm26* Form26 = nullptr;

TForm26::TForm26(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit26"); }
