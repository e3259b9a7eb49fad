#include "Unit49.h"

TForm49* Form49 = nullptr;

TForm49::TForm49(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit49"); }
