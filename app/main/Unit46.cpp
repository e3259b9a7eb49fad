#include "Unit46.h"

TForm46* Form46 = nullptr;

TForm46::TForm46(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit46"); }
