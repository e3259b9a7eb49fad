#include "Unit27.h"

TForm27* Form27 = nullptr;

TForm27::TForm27(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit27"); }
