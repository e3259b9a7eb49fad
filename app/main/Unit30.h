#pragma once
// The full pulsar list of the current band, as a snapshot of the main window's working table.

#include "ComCtrls.h"
#include "Forms.h"

class TForm30 : public TForm {
public:
  explicit TForm30(TComponent* AOwner);
  String ClassName() const override { return "TForm30"; }
  TLabel* Label1 = nullptr;  // sort order
  TLabel* Label2 = nullptr;  // frequency
  TListView* ListView1 = nullptr;
  TButton* Button2 = nullptr;
  void Button2Click(TObject* Sender);  // "Exit"
};

extern TForm30* Form30;
