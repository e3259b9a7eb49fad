#pragma once
// Window "Active tracking": the choice of the object the small tracking display follows.

#include "Forms.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT39_PARTS(Controls, Handlers)                                                 \
  Controls(TRadioButton, RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5,  \
      RadioButton6, RadioButton7, RadioButton8, RadioButton9, RadioButton10, RadioButton11,     \
      RadioButton12)                                                                            \
  Controls(TLabel, Label9) /* the selected pulsar's name, beside button 8 */                    \
  Handlers(RadioButton1Click, RadioButton2Click, RadioButton3Click, RadioButton4Click,          \
      RadioButton5Click, RadioButton6Click, RadioButton7Click, RadioButton8Click,               \
      RadioButton9Click, RadioButton10Click, RadioButton11Click, RadioButton12Click)
// clang-format on

class TForm39 : public TForm {
public:
  explicit TForm39(TComponent* AOwner);
  String ClassName() const override { return "TForm39"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT39_PARTS)

  // Button N stands for object code N.
  void RadioButton1Click(TObject* Sender) { Choose(1); }
  void RadioButton2Click(TObject* Sender) { Choose(2); }
  void RadioButton3Click(TObject* Sender) { Choose(3); }
  void RadioButton4Click(TObject* Sender) { Choose(4); }
  void RadioButton5Click(TObject* Sender) { Choose(5); }
  void RadioButton6Click(TObject* Sender) { Choose(6); }
  void RadioButton7Click(TObject* Sender) { Choose(7); }
  void RadioButton8Click(TObject* Sender) { Choose(8); }
  void RadioButton9Click(TObject* Sender) { Choose(9); }
  void RadioButton10Click(TObject* Sender) { Choose(10); }
  void RadioButton11Click(TObject* Sender) { Choose(11); }
  void RadioButton12Click(TObject* Sender) { Choose(12); }

private:
  void Choose(int ObjectCode);
};

extern TForm39* Form39;
