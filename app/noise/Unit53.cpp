#include "Unit53.h"

TForm53* Form53 = nullptr;

TForm53::TForm53(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit53"); }
