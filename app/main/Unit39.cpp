#include "Unit39.h"

#include "Unit1.h"

TForm39* Form39 = nullptr;

TForm39::TForm39(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit39", KESTAL_UNIT39_PARTS);
}

void TForm39::Choose(int ObjectCode) {
  if (Form1 != nullptr) Form1->TrackedObject = ObjectCode;
  Hide();
}
