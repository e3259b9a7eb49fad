#pragma once
// The culmination window: the next culminations of an object, one of them the pulsar picked
// in the main window (its button carries the pulsar's name).

#include "ComCtrls.h"
#include "Forms.h"

class TForm34 : public TForm {
public:
  explicit TForm34(TComponent* AOwner);
  String ClassName() const override { return "TForm34"; }
  TListView* ListView1 = nullptr;
  TButton* Button7 = nullptr;  // the selected pulsar
};

extern TForm34* Form34;
