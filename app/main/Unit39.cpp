#include "Unit39.h"

TForm39* Form39 = nullptr;

TForm39::TForm39(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit39"); }
