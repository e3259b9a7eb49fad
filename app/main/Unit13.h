#pragma once
// The table window: tracking and visibility tables of the selected pulsar.

#include "ComCtrls.h"
#include "Forms.h"
#include "HideMainScreen.h"
#include "StdCtrls.h"
#include "TrackingTable.h"

class TForm13 : public TForm {
public:
  explicit TForm13(TComponent* AOwner);
  String ClassName() const override { return "TForm13"; }

  TLabel* Label1 = nullptr;  // title
  TLabel* Label2 = nullptr;  // note on the zone state the table assumed
  TListView* ListView1 = nullptr;
  TButton* Button1 = nullptr;  // "Exit"
  TButton* Button2 = nullptr;  // "Hide main screen"

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  // Builds a table from Start on (the moment of the click), replacing the one shown, and shows
  // the window. Zone is read once here and holds for every row.
  void ShowTable(TTableKind Kind, const TTableTarget& Target, const String& PulsarName,
                 crt::time_t Start);

  THideMainScreen HideMain;
};

extern TForm13* Form13;
