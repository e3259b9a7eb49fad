#pragma once
// The drift-scan planner: where each planner object will be in 10 to 120 minutes, when above
// the radio horizon. It only shows what the PLAN window computed.

#include "Forms.h"
#include "Grids.h"
#include "HideMainScreen.h"
#include "Planning.h"
#include "StdCtrls.h"

class TForm40 : public TForm {
public:
  explicit TForm40(TComponent* AOwner);
  String ClassName() const override { return "TForm40"; }

  TStringGrid* StringGrid1 = nullptr;
  TButton* Button1 = nullptr;  // Exit
  TButton* Button2 = nullptr;  // Hide main screen / Show main screen

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void ShowTable(const TDriftTable& Table);

private:
  THideMainScreen HideMain;
};

extern TForm40* Form40;
