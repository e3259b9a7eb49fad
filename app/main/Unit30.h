#pragma once
// The full pulsar list of the current band, as a snapshot of the main window's working table.

#include "ComCtrls.h"
#include "Forms.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT30_PARTS(Controls, Handlers)  \
  Controls(TLabel, Label1) /* sort order */      \
  Controls(TLabel, Label2) /* frequency */       \
  Controls(TListView, ListView1)                 \
  Controls(TButton, Button2)                     \
  Handlers(Button2Click)
// clang-format on

class TForm30 : public TForm {
public:
  explicit TForm30(TComponent* AOwner);
  String ClassName() const override { return "TForm30"; }
  KESTAL_DECLARE_PARTS(KESTAL_UNIT30_PARTS)
  void Button2Click(TObject* Sender);  // "Exit"
};

extern TForm30* Form30;
