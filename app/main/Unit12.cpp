#include "Unit12.h"

#include "ReleaseHistory.h"

TForm12* Form12 = nullptr;

namespace {
constexpr int DateColumnWidth = 110;
constexpr int ChangeColumnWidth = 645;
}  // namespace

TForm12::TForm12(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit12", KESTAL_UNIT12_PARTS);
  FillList();
}

// Filled once, when the window is made; showing it again adds nothing.
void TForm12::FillList() {
  ListView1->Columns()->Clear();
  ListView1->Items()->Clear();
  TListColumn* date = ListView1->Columns()->Add();
  date->SetCaption("Date           ");
  date->SetWidth(DateColumnWidth);
  TListColumn* change = ListView1->Columns()->Add();
  change->SetCaption("Change");
  change->SetWidth(ChangeColumnWidth);
  change->SetAlignment(taLeftJustify);
  ListView1->SetViewStyle(vsReport);

  ListView1->Items()->BeginUpdate();
  for (const TReleaseHistoryRow& row : ReleaseHistory()) {
    TListItem* item = ListView1->Items()->Add();
    item->SetCaption(row.Date);
    if (row.Change) item->SubItems()->Add(row.Change);
  }
  ListView1->Items()->EndUpdate();
  Invalidate();
}
