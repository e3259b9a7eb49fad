#include "Unit25.h"

TForm25* Form25 = nullptr;

TForm25::TForm25(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit25"); }
