#pragma once
// Window "Tracking": azimuth and elevation of the one object chosen in "Active tracking".

#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

class TForm47 : public TForm {
public:
  explicit TForm47(TComponent* AOwner);
  String ClassName() const override { return "TForm47"; }

  TLabel* Label91 = nullptr;   // object name
  TEdit* Edit31 = nullptr;     // azimuth
  TEdit* Edit32 = nullptr;     // elevation
  TButton* Button1 = nullptr;  // "Hide main screen"
  TButton* Button2 = nullptr;  // "Exit"

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  THideMainScreen HideMain;
};

extern TForm47* Form47;
