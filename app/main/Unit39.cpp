#include "Unit39.h"

#include "Unit1.h"

TForm39* Form39 = nullptr;

TForm39::TForm39(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(RadioButton1Click);
  KESTAL_HANDLER(RadioButton2Click);
  KESTAL_HANDLER(RadioButton3Click);
  KESTAL_HANDLER(RadioButton4Click);
  KESTAL_HANDLER(RadioButton5Click);
  KESTAL_HANDLER(RadioButton6Click);
  KESTAL_HANDLER(RadioButton7Click);
  KESTAL_HANDLER(RadioButton8Click);
  KESTAL_HANDLER(RadioButton9Click);
  KESTAL_HANDLER(RadioButton10Click);
  KESTAL_HANDLER(RadioButton11Click);
  KESTAL_HANDLER(RadioButton12Click);
  LoadDescription("Unit39");
  KESTAL_BIND(RadioButton1);
  KESTAL_BIND(RadioButton2);
  KESTAL_BIND(RadioButton3);
  KESTAL_BIND(RadioButton4);
  KESTAL_BIND(RadioButton5);
  KESTAL_BIND(RadioButton6);
  KESTAL_BIND(RadioButton7);
  KESTAL_BIND(RadioButton8);
  KESTAL_BIND(RadioButton9);
  KESTAL_BIND(RadioButton10);
  KESTAL_BIND(RadioButton11);
  KESTAL_BIND(RadioButton12);
  KESTAL_BIND(Label9);
}

void TForm39::Choose(int ObjectCode) {
  if (Form1 != nullptr) Form1->TrackedObject = ObjectCode;
  Hide();
}
