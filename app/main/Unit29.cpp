#include "Unit29.h"

TForm29* Form29 = nullptr;

TForm29::TForm29(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit29"); }
