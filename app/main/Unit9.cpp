#include "Unit9.h"

TForm9* Form9 = nullptr;

TForm9::TForm9(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit9"); }
