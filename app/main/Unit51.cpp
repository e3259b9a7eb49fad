#include "Unit51.h"

TForm51* Form51 = nullptr;

TForm51::TForm51(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit51"); }
