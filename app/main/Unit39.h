#pragma once
// Window "Active tracking": the choice of the object the small tracking display follows.

#include "Forms.h"
#include "StdCtrls.h"

class TForm39 : public TForm {
public:
  explicit TForm39(TComponent* AOwner);
  String ClassName() const override { return "TForm39"; }

  TRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr,
               *RadioButton4 = nullptr, *RadioButton5 = nullptr, *RadioButton6 = nullptr,
               *RadioButton7 = nullptr, *RadioButton8 = nullptr, *RadioButton9 = nullptr,
               *RadioButton10 = nullptr, *RadioButton11 = nullptr, *RadioButton12 = nullptr;
  TLabel* Label9 = nullptr;  // the selected pulsar's name, beside button 8

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
