#pragma once
// Window "Tracking": azimuth and elevation of the one object chosen in "Active tracking".

#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT47_PARTS(Controls, Handlers)        \
  Controls(TLabel, Label91) /* object name */          \
  Controls(TEdit, Edit31) /* azimuth */                \
  Controls(TEdit, Edit32) /* elevation */              \
  Controls(TButton, Button1) /* "Hide main screen" */  \
  Controls(TButton, Button2) /* "Exit" */              \
  Handlers(Button1Click, Button2Click)
// clang-format on

class TForm47 : public TForm {
public:
  explicit TForm47(TComponent* AOwner);
  String ClassName() const override { return "TForm47"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT47_PARTS)

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  THideMainScreen HideMain;
};

extern TForm47* Form47;
