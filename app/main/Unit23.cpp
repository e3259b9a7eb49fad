#include "Unit23.h"

TForm23* Form23 = nullptr;

TForm23::TForm23(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit23"); }
