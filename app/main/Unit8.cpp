#include "Unit8.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit8"); }
