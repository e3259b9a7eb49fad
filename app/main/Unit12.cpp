#include "Unit12.h"

TForm12* Form12 = nullptr;

TForm12::TForm12(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit12"); }
