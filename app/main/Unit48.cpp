#include "Unit48.h"

TForm48* Form48 = nullptr;

TForm48::TForm48(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit48"); }
