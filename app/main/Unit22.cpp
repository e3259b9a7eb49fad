#include "Unit22.h"

TForm22* Form22 = nullptr;

TForm22::TForm22(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit22"); }
