#include "Unit11.h"

TForm11* Form11 = nullptr;

TForm11::TForm11(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit11"); }
