#include "Unit6.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit6"); }
