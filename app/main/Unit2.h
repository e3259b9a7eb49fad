#pragma once
// Window "Noise sources tracking": azimuth and elevation of every tracked object, updated by
// the main window's timers, and the Moon's range, Doppler shift and degradation.

#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

class TForm2 : public TForm {
public:
  explicit TForm2(TComponent* AOwner);
  String ClassName() const override { return "TForm2"; }

  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr;  // Moon: Doppler, range, degradation
  TEdit *Edit4 = nullptr, *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr,
        *Edit9 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr,
        *Edit13 = nullptr, *Edit14 = nullptr, *Edit15 = nullptr, *Edit16 = nullptr,
        *Edit17 = nullptr, *Edit18 = nullptr, *Edit19 = nullptr, *Edit20 = nullptr,
        *Edit21 = nullptr, *Edit22 = nullptr, *Edit23 = nullptr, *Edit24 = nullptr,
        *Edit25 = nullptr, *Edit26 = nullptr, *Edit46 = nullptr;
  TLabel* Label16 = nullptr;   // the selected pulsar's name
  TButton* Button1 = nullptr;  // "Exit"
  TButton* Button2 = nullptr;  // "Hide main screen"

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  THideMainScreen HideMain;
};

extern TForm2* Form2;
