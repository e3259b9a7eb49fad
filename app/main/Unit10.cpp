#include "Unit10.h"

TForm10* Form10 = nullptr;

TForm10::TForm10(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit10"); }
