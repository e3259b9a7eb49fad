#pragma once
// Window "Revision History": the program's releases and their changes, newest first.

#include "ComCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT12_PARTS(Controls, Handlers)  \
  Controls(TListView, ListView1)                 \
  Controls(TLabel, Label26)
// clang-format on

class TForm12 : public TForm {
public:
  explicit TForm12(TComponent* AOwner);
  String ClassName() const override { return "TForm12"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT12_PARTS)

private:
  void FillList();
};

extern TForm12* Form12;
