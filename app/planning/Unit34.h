#pragma once
// The culmination window: the next 30 culminations of an object, one of them the pulsar picked
// in the main window (its button carries the pulsar's name and is usable only once one was
// picked), with the zone texts of start-up.

#include "ComCtrls.h"
#include "Culmination.h"
#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT34_PARTS(Controls, Handlers)                                                 \
  Controls(TListView, ListView1)                                                                \
  Controls(TLabel, Label1)                                                                      \
  Controls(TEdit, Edit1, Edit2, Edit3, Edit5)                                                   \
  Controls(TButton, Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,     \
      Button9, Button10)                                                                        \
  Handlers(Button1Click, Button2Click, Button3Click, Button4Click, Button5Click, Button6Click,  \
      Button7Click, Button8Click, Button9Click, Button10Click)
// clang-format on

class TForm34 : public TForm {
public:
  explicit TForm34(TComponent* AOwner);
  String ClassName() const override { return "TForm34"; }
  KESTAL_DECLARE_PARTS(KESTAL_UNIT34_PARTS)

  void Button1Click(TObject* Sender);   // Moon
  void Button2Click(TObject* Sender);   // Sun
  void Button3Click(TObject* Sender);   // Cygnus-A
  void Button4Click(TObject* Sender);   // Taurus-A
  void Button5Click(TObject* Sender);   // Cassiopeia-A
  void Button6Click(TObject* Sender);   // Sagittarius-A
  void Button7Click(TObject* Sender);   // the selected pulsar
  void Button10Click(TObject* Sender);  // 3C273
  void Button8Click(TObject* Sender);   // Exit
  void Button9Click(TObject* Sender);   // Hide main screen / Show main screen

  // Code 1..8 as the buttons: Moon, Sun, Cygnus-A, Taurus-A, Cassiopeia-A, Sagittarius-A,
  // the selected pulsar, 3C273.
  void FindCulminations(int Code);

private:
  THideMainScreen HideMain;
};

extern TForm34* Form34;
