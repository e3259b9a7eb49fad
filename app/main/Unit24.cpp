#include "Unit24.h"

TForm24* Form24 = nullptr;

TForm24::TForm24(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit24"); }
