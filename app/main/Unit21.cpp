#include "Unit21.h"

TForm21* Form21 = nullptr;

TForm21::TForm21(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit21"); }
