#include "Unit28.h"

TForm28* Form28 = nullptr;

TForm28::TForm28(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit28"); }
