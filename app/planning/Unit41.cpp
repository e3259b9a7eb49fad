#include "Unit41.h"

TForm41* Form41 = nullptr;

TForm41::TForm41(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit41"); }
