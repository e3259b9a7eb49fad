#include "Unit4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit4"); }
