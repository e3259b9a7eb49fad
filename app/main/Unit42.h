#pragma once
// The sort dialog: eleven orders of the band tables. Every choice sorts both tables, names
// the order on the main window and the full list, and recalculates.

#include "Forms.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT42_PARTS(Controls, Handlers)                                                 \
  Controls(TRadioButton, RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5,  \
      RadioButton6, RadioButton7, RadioButton8, RadioButton9, RadioButton10, RadioButton11)     \
  Handlers(RadioButton1Click, RadioButton2Click, RadioButton3Click, RadioButton4Click,          \
      RadioButton5Click, RadioButton6Click, RadioButton7Click, RadioButton8Click,               \
      RadioButton9Click, RadioButton10Click, RadioButton11Click)
// clang-format on

class TForm42 : public TForm {
public:
  explicit TForm42(TComponent* AOwner);
  String ClassName() const override { return "TForm42"; }
  KESTAL_DECLARE_PARTS(KESTAL_UNIT42_PARTS)
  void RadioButton1Click(TObject* Sender);   // RAJD
  void RadioButton2Click(TObject* Sender);   // DECJD
  void RadioButton3Click(TObject* Sender);   // W50
  void RadioButton4Click(TObject* Sender);   // P0
  void RadioButton5Click(TObject* Sender);   // DM
  void RadioButton6Click(TObject* Sender);   // S400
  void RadioButton7Click(TObject* Sender);   // S1400
  void RadioButton8Click(TObject* Sender);   // expected S/N
  void RadioButton9Click(TObject* Sender);   // name (import order)
  void RadioButton10Click(TObject* Sender);  // distance
  void RadioButton11Click(TObject* Sender);  // age

private:
  void SortBy(int KeyColumn, bool Ascending, const char* Caption);
};

extern TForm42* Form42;

// The sort step of the dialog's choices and of CALCULATE's pending sort: both band tables by
// one column, the order named on the main window and the full list, and the order kept at the
// next CALCULATE.
void SortBandTables(int KeyColumn, bool Ascending, const String& Caption);
// Sorts the first Count rows of a band table (all its columns) by one column (a TBandColumn).
void SortBandTable(class TMatrix& Table, int Count, int KeyColumn, bool Ascending);
// Shows the order on the main window's sort button and the full list.
void ShowSortCaption(const String& Caption);
