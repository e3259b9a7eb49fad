#pragma once
// The table window: tracking and visibility tables of the selected pulsar.

#include "ComCtrls.h"
#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"
#include "TrackingTable.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT13_PARTS(Controls, Handlers)                            \
  Controls(TLabel, Label1) /* title */                                     \
  Controls(TLabel, Label2) /* note on the zone state the table assumed */  \
  Controls(TListView, ListView1)                                           \
  Controls(TButton, Button1) /* "Exit" */                                  \
  Controls(TButton, Button2) /* "Hide main screen" */                      \
  Handlers(Button1Click, Button2Click)
// clang-format on

class TForm13 : public TForm {
public:
  explicit TForm13(TComponent* AOwner);
  String ClassName() const override { return "TForm13"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT13_PARTS)

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  // Builds a table from Start on (the moment of the click), replacing the one shown, and shows
  // the window. Zone is read once here and holds for every row.
  void ShowTable(TTableKind Kind, const TTableTarget& Target, const String& PulsarName,
                 crt::time_t Start);

  THideMainScreen HideMain;
};

extern TForm13* Form13;
