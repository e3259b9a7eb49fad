#include "Unit42.h"

#include "BandTable.h"
#include "DOV_matrix.h"
#include "Unit1.h"
#include "Unit30.h"

TForm42* Form42 = nullptr;

TForm42::TForm42(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit42", KESTAL_UNIT42_PARTS);
}

void SortBandTable(TMatrix& Table, int Count, int KeyColumn, bool Ascending) {
  if (Count <= 0) return;
  Table.SortRows(KeyColumn, Ascending, 1, 1, BandColumnCount, Count);
}

void ShowSortCaption(const String& Caption) {
  if (Form1 != nullptr) Form1->Button36->SetCaption(Caption);
  if (Form30 != nullptr) Form30->Label1->SetCaption(Caption);
}

void SortBandTables(int KeyColumn, bool Ascending, const String& Caption) {
  SortBandTable(*Form1->Matrix_DB_400Mhz, Form1->Count400, KeyColumn, Ascending);
  SortBandTable(*Form1->Matrix_DB_1400Mhz, Form1->Count1400, KeyColumn, Ascending);
  ShowSortCaption(Caption);
  Form1->SortState = 2;
}

void TForm42::SortBy(int KeyColumn, bool Ascending, const char* Caption) {
  SortBandTables(KeyColumn, Ascending, Caption);
  Form1->Button1Click(Form1);
  Hide();
}

void TForm42::RadioButton9Click(TObject* Sender) { SortBy(bcNameIndex, true, "Sorted by Name "); }
void TForm42::RadioButton1Click(TObject* Sender) { SortBy(bcRaj, true, "Sorted by RAJD "); }
void TForm42::RadioButton2Click(TObject* Sender) { SortBy(bcDecj, true, "Sorted by DECJD "); }
void TForm42::RadioButton3Click(TObject* Sender) { SortBy(bcW50, true, "Sorted by W50 "); }
void TForm42::RadioButton4Click(TObject* Sender) { SortBy(bcP0, true, "Sorted by P0 "); }
void TForm42::RadioButton5Click(TObject* Sender) { SortBy(bcDm, true, "Sorted by DM "); }
void TForm42::RadioButton6Click(TObject* Sender) { SortBy(bcS400, false, "Sorted by S400 "); }
void TForm42::RadioButton7Click(TObject* Sender) { SortBy(bcS1400, false, "Sorted by S1400 "); }
void TForm42::RadioButton10Click(TObject* Sender) {
  SortBy(bcDistance, false, "Sorted by Distance ");
}
void TForm42::RadioButton11Click(TObject* Sender) { SortBy(bcAge, false, "Sorted by Age "); }
void TForm42::RadioButton8Click(TObject* Sender) { SortBy(bcExpectedSN, false, "Sorted by S/N "); }
