#pragma once
// Window "Noise sources tracking": azimuth and elevation of every tracked object, updated by
// the main window's timers, and the Moon's range, Doppler shift and degradation.

#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT2_PARTS(Controls, Handlers)                                                 \
  Controls(TEdit, Edit1, Edit2, Edit3) /* Moon: Doppler, range, degradation */                 \
  Controls(TEdit, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11, Edit12, Edit13,    \
      Edit14, Edit15, Edit16, Edit17, Edit18, Edit19, Edit20, Edit21, Edit22, Edit23, Edit24,  \
      Edit25, Edit26, Edit46)                                                                  \
  Controls(TLabel, Label16) /* the selected pulsar's name */                                   \
  Controls(TButton, Button1) /* "Exit" */                                                      \
  Controls(TButton, Button2) /* "Hide main screen" */                                          \
  Handlers(Button1Click, Button2Click)
// clang-format on

class TForm2 : public TForm {
public:
  explicit TForm2(TComponent* AOwner);
  String ClassName() const override { return "TForm2"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT2_PARTS)

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  THideMainScreen HideMain;
};

extern TForm2* Form2;
