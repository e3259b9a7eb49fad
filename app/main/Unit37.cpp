#include "Unit37.h"

TForm37* Form37 = nullptr;

TForm37::TForm37(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit37"); }
