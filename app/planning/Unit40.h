#pragma once
// The drift-scan planner: where each planner object will be in 10 to 120 minutes, when above
// the radio horizon. It only shows what the PLAN window computed.

#include "Forms.h"
#include "Grids.h"
#include "HideMainScreen.h"
#include "Planning.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT40_PARTS(Controls, Handlers)                         \
  Controls(TStringGrid, StringGrid1)                                    \
  Controls(TButton, Button1) /* Exit */                                 \
  Controls(TButton, Button2) /* Hide main screen / Show main screen */  \
  Handlers(Button1Click, Button2Click)
// clang-format on

class TForm40 : public TForm {
public:
  explicit TForm40(TComponent* AOwner);
  String ClassName() const override { return "TForm40"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT40_PARTS)

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void ShowTable(const TDriftTable& Table);

private:
  THideMainScreen HideMain;
};

extern TForm40* Form40;
