#include "Unit18.h"

TForm18* Form18 = nullptr;

TForm18::TForm18(TComponent* AOwner) : TForm(AOwner) { LoadDescription("Unit18"); }
