#pragma once
// Window "Revision History": the program's releases and their changes, newest first.

#include "ComCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TForm12 : public TForm {
public:
  explicit TForm12(TComponent* AOwner);
  String ClassName() const override { return "TForm12"; }

  TListView* ListView1 = nullptr;
  TLabel* Label26 = nullptr;

private:
  void FillList();
};

extern TForm12* Form12;
