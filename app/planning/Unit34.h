#pragma once
// The culmination window: the next 30 culminations of an object, one of them the pulsar picked
// in the main window (its button carries the pulsar's name and is usable only once one was
// picked), with the zone texts of start-up.

#include "ComCtrls.h"
#include "Culmination.h"
#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"

class TForm34 : public TForm {
public:
  explicit TForm34(TComponent* AOwner);
  String ClassName() const override { return "TForm34"; }
  TListView* ListView1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit5 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
          *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
          *Button9 = nullptr, *Button10 = nullptr;

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
