#include "ComCtrls.h"

#include <QAbstractTableModel>
#include <QChildEvent>
#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QTreeView>

#include <cmath>
#include <functional>

#include "ControlsQt.h"

// ---- the list view's model ---------------------------------------------------------------
class TListViewModel : public QAbstractTableModel {
public:
  explicit TListViewModel(TListView* View) : FView(View) {}
  int rowCount(const QModelIndex& P) const override {
    return P.isValid() ? 0 : FView->Items()->Count();
  }
  int columnCount(const QModelIndex& P) const override {
    return P.isValid() ? 0 : std::max(1, FView->Columns()->Count());
  }
  QVariant data(const QModelIndex& I, int Role) const override {
    if (!I.isValid() || I.row() >= FView->Items()->Count()) return {};
    if (Role == Qt::DisplayRole) {
      const TListItem* it = FView->Items()->Item(I.row());
      if (I.column() == 0) return QStr(it->Caption());
      const int sub = I.column() - 1;
      return sub < it->SubItems()->Count() ? QStr(it->SubItems()->Get(sub)) : QString();
    }
    if (Role == Qt::TextAlignmentRole && I.column() < FView->Columns()->Count())
      return QVariant::fromValue(QtAlignment(FView->Columns()->Items(I.column())->Alignment()));
    return {};
  }
  QVariant headerData(int Section, Qt::Orientation O, int Role) const override {
    if (O != Qt::Horizontal || Section >= FView->Columns()->Count()) return {};
    const TListColumn* c = FView->Columns()->Items(Section);
    if (Role == Qt::DisplayRole) return QStr(c->Caption());
    if (Role == Qt::TextAlignmentRole) return QVariant::fromValue(QtAlignment(c->Alignment()));
    return {};
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void Append(int Row) {
    beginInsertRows(QModelIndex(), Row, Row);
    endInsertRows();
  }

private:
  TListView* FView;
};

// ---- columns -----------------------------------------------------------------------------
void TListColumn::SetCaption(const String& Value) {
  FCaption = Value;
  FOwner->ColumnsChanged();
}
void TListColumn::SetWidth(int Value) {
  FWidth = Value;
  FOwner->ColumnsChanged();
}
void TListColumn::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  FOwner->ColumnsChanged();
}

TListColumns::~TListColumns() = default;

TListColumn* TListColumns::Add() {
  FItems.push_back(std::unique_ptr<TListColumn>(new TListColumn(FOwner)));
  FOwner->ColumnsChanged();
  return FItems.back().get();
}

void TListColumns::Clear() {
  FItems.clear();
  FOwner->ColumnsChanged();
}

TListColumn* TListColumns::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)].get();
}

// ---- items -------------------------------------------------------------------------------
TListItem::TListItem(TListView* Owner) : FOwner(Owner), FSubItems(std::make_unique<TStringList>()) {
  static_cast<TStringList*>(FSubItems.get())->OnChange = [this](TObject*) {
    FOwner->ItemsChanged(false);
  };
}

TListItem::~TListItem() = default;

void TListItem::SetCaption(const String& Value) {
  FCaption = Value;
  FOwner->ItemsChanged(false);
}

int TListItem::Index() const { return FOwner->Items()->IndexOf(this); }

bool TListItem::Selected() const { return FOwner->Selected() == this; }

void TListItem::SetSelected(bool Value) {
  if (Value)
    FOwner->SetSelected(this);
  else if (Selected())
    FOwner->SetSelected(nullptr);
}

TListItems::~TListItems() = default;

TListItem* TListItems::Add() {
  FItems.push_back(std::unique_ptr<TListItem>(new TListItem(FOwner)));
  if (FUpdateCount == 0) FOwner->FModel->Append(Count() - 1);
  return FItems.back().get();
}

void TListItems::Clear() {
  FItems.clear();
  FOwner->ItemsChanged(true);
}

void TListItems::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  FItems.erase(FItems.begin() + Index);
  FOwner->ItemsChanged(true);
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)].get();
}

int TListItems::IndexOf(const TListItem* Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Item) return static_cast<int>(i);
  return -1;
}

void TListItems::BeginUpdate() { ++FUpdateCount; }

void TListItems::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) FOwner->ItemsChanged(true);
}

// ---- TListView ---------------------------------------------------------------------------
TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner),
      FColumns(std::make_unique<TListColumns>(this)),
      FItems(std::make_unique<TListItems>(this)),
      FModel(std::make_unique<TListViewModel>(this)) {
  auto* v = new QTreeView;
  v->setRootIsDecorated(false);
  v->setItemsExpandable(false);
  v->setUniformRowHeights(true);
  v->setSelectionMode(QAbstractItemView::SingleSelection);
  v->setSelectionBehavior(QAbstractItemView::SelectRows);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->header()->setStretchLastSection(false);
  v->header()->setSectionsMovable(false);
  v->setModel(FModel.get());
  SetBounds(0, 0, 250, 150);
  AttachWidget(Native(v));
  SetTabStop(true);
  FClickOnMouseUp = true;
  WatchChild(Native(v->viewport()));
  QObject::connect(v->selectionModel(), &QItemSelectionModel::currentRowChanged,
                   [this](const QModelIndex& Now, const QModelIndex& Before) {
                     if (FInCode) return;
                     GuardedCall([&] {
                       if (!OnSelectItem) return;
                       if (Before.isValid() && Before.row() < FItems->Count())
                         OnSelectItem(this, FItems->Item(Before.row()), false);
                       if (Now.isValid() && Now.row() < FItems->Count())
                         OnSelectItem(this, FItems->Item(Now.row()), true);
                     });
                   });
}

TListView::~TListView() {
  if (Handle() != nullptr) static_cast<QTreeView*>(Handle())->setModel(nullptr);
}

void TListView::ColumnsChanged() {
  FInCode = true;
  FModel->Reset();
  auto* v = static_cast<QTreeView*>(Handle());
  if (v != nullptr)
    for (int i = 0; i < FColumns->Count(); ++i)
      v->header()->resizeSection(i, FColumns->Items(i)->Width());
  FInCode = false;
}

void TListView::ItemsChanged(bool Structure) {
  if (FItems->FUpdateCount > 0) return;
  auto* v = static_cast<QTreeView*>(Handle());
  if (Structure) {
    FInCode = true;
    FModel->Reset();
    if (v != nullptr)
      for (int i = 0; i < FColumns->Count(); ++i)
        v->header()->resizeSection(i, FColumns->Items(i)->Width());
    FInCode = false;
  } else if (v != nullptr) {
    v->viewport()->update();
  }
}

void TListView::SetRowSelect(bool Value) { FRowSelect = Value; }

void TListView::SetGridLines(bool Value) { FGridLines = Value; }

void TListView::SetShowColumnHeaders(bool Value) {
  FShowColumnHeaders = Value;
  static_cast<QTreeView*>(Handle())->setHeaderHidden(!Value);
}

int TListView::ItemIndex() const {
  auto* v = static_cast<QTreeView*>(Handle());
  const QModelIndex i = v->selectionModel()->currentIndex();
  if (!i.isValid() || !v->selectionModel()->isRowSelected(i.row(), QModelIndex())) return -1;
  return i.row();
}

void TListView::SetItemIndex(int Value) {
  auto* v = static_cast<QTreeView*>(Handle());
  FInCode = true;
  if (Value < 0 || Value >= FItems->Count()) {
    v->selectionModel()->clearSelection();
    v->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
  } else {
    v->selectionModel()->setCurrentIndex(
        FModel->index(Value, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  FInCode = false;
}

TListItem* TListView::Selected() const {
  const int i = ItemIndex();
  return i < 0 ? nullptr : FItems->Item(i);
}

void TListView::SetSelected(TListItem* Item) {
  SetItemIndex(Item == nullptr ? -1 : FItems->IndexOf(Item));
}

bool TListView::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "ViewStyle")
    SetViewStyle(static_cast<TViewStyle>(DescribedEnum(Value, {{"vsIcon", vsIcon},
                                                               {"vsSmallIcon", vsSmallIcon},
                                                               {"vsList", vsList},
                                                               {"vsReport", vsReport}})));
  else if (Prop == "RowSelect")
    SetRowSelect(Value.AsBoolean());
  else if (Prop == "GridLines")
    SetGridLines(Value.AsBoolean());
  else if (Prop == "ReadOnly")
    ReadOnly = Value.AsBoolean();
  else if (Prop == "ShowColumnHeaders")
    SetShowColumnHeaders(Value.AsBoolean());
  else if (Prop == "Columns.Captions") {
    if (Value.kind != TPropValue::Kind::List)
      throw EConvertError("a list of column captions ( ... ) expected");
    FColumns->Clear();
    for (const String& s : Value.items) FColumns->Add()->SetCaption(s);
  } else if (Prop == "Columns.Widths" || Prop == "Columns.Alignments") {
    if (Value.kind != TPropValue::Kind::List) throw EConvertError("a list ( ... ) expected");
    for (size_t i = 0; i < Value.items.size(); ++i) {
      while (FColumns->Count() <= static_cast<int>(i)) FColumns->Add();
      TListColumn* c = FColumns->Items(static_cast<int>(i));
      if (Prop == "Columns.Widths") {
        c->SetWidth(StrToInt(Value.items[i]));
      } else {
        TPropValue v;
        v.kind = TPropValue::Kind::Ident;
        v.s = Value.items[i];
        c->SetAlignment(
            static_cast<TAlignment>(DescribedEnum(v, {{"taLeftJustify", taLeftJustify},
                                                      {"taRightJustify", taRightJustify},
                                                      {"taCenter", taCenter}})));
      }
    }
  } else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TListView::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnSelectItem") {
    OnSelectItem = FindEventHandler<void(TObject*, TListItem*, bool)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}

// ---- TDateTimePicker ---------------------------------------------------------------------
namespace {
const QDate kEpoch(1899, 12, 30);

QDateTime ToQDateTime(TDateTime V) {
  const double day = std::floor(V);
  const double frac = V - day;
  const QDate d = kEpoch.addDays(static_cast<qint64>(day));
  const int ms = static_cast<int>(std::llround(frac * 86400000.0));
  return QDateTime(d, QTime(0, 0).addMSecs(std::min(ms, 86399999)));
}

TDateTime FromQDateTime(const QDateTime& V) {
  const double day = static_cast<double>(kEpoch.daysTo(V.date()));
  return day + V.time().msecsSinceStartOfDay() / 86400000.0;
}

void ApplyFirstDayOfWeek(QCalendarWidget* Calendar, int Day) {
  if (Calendar != nullptr && Day >= 1 && Day <= 7)
    Calendar->setFirstDayOfWeek(static_cast<Qt::DayOfWeek>(Day));
}

// Puts the calendar's focus frame (the current cell of its day table) on Day of the month shown,
// selecting nothing. The day cells hold their day numbers; the first 1 among them starts the
// month shown (the days of the month before come first).
void FocusDayShown(QCalendarWidget* Calendar, int Day) {
  auto* view = Calendar->findChild<QTableView*>();
  if (view == nullptr || view->model() == nullptr || view->selectionModel() == nullptr) return;
  const QAbstractItemModel* m = view->model();
  const int row0 =
      Calendar->horizontalHeaderFormat() == QCalendarWidget::NoHorizontalHeader ? 0 : 1;
  const int col0 = Calendar->verticalHeaderFormat() == QCalendarWidget::NoVerticalHeader ? 0 : 1;
  bool inMonth = false;
  for (int r = row0; r < m->rowCount(); ++r)
    for (int c = col0; c < m->columnCount(); ++c) {
      const int shown = m->index(r, c).data().toInt();
      inMonth = inMonth || shown == 1;
      if (inMonth && shown == Day) {
        view->selectionModel()->setCurrentIndex(m->index(r, c), QItemSelectionModel::NoUpdate);
        return;
      }
    }
}

// The field makes its drop-down calendar (a whole month view, milliseconds to build) only when
// something first needs it: a click on the arrow, a key, or a call of calendarWidget(). The
// picker sets the calendar up the moment it exists instead of making it early. The calendar
// lives in a popup that is a child of the field, and the popup gets another child (its layout)
// once the calendar is complete: the field watches the popup's children and its showing and
// hands over the first finished calendar it sees.
class TDateEditWidget : public QDateTimeEdit {
public:
  std::function<void(QCalendarWidget*)> OnCalendarMade;

  // The calendar if it was made already; never makes it.
  QCalendarWidget* ExistingCalendar() const { return findChild<QCalendarWidget*>(); }

protected:
  void childEvent(QChildEvent* E) override {
    QDateTimeEdit::childEvent(E);
    if (!FCalendarSeen && E->type() == QEvent::ChildAdded && E->child()->isWidgetType())
      E->child()->installEventFilter(this);
  }
  bool eventFilter(QObject* O, QEvent* E) override {
    if (!FCalendarSeen && (E->type() == QEvent::ChildAdded || E->type() == QEvent::Show ||
                           E->type() == QEvent::Polish)) {
      // A child under construction is not yet a QCalendarWidget to findChild.
      if (auto* calendar = O->findChild<QCalendarWidget*>()) {
        FCalendarSeen = true;
        for (QObject* child : children()) child->removeEventFilter(this);
        if (OnCalendarMade) OnCalendarMade(calendar);
      }
    }
    return QDateTimeEdit::eventFilter(O, E);
  }

private:
  bool FCalendarSeen = false;
};
}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner) {
  auto* e = new TDateEditWidget;
  e->setCalendarPopup(true);
  e->setMinimumDate(kEpoch);
  e->setTimeSpec(Qt::LocalTime);
  SetBounds(0, 0, 186, 21);
  AttachWidget(Native(e));
  SetTabStop(true);
  FValue = std::floor(FromQDateTime(QDateTime::currentDateTime()));
  SetKind(dtkDate);
  SetFirstDayOfWeek(1);
  // A pick in the calendar changes the field (dateTimeChanged) and reports the click, in
  // either order; a typed change only changes the field. Each pick fires OnChange once, also
  // for the date already shown. A change remembers itself until the current event is done, so
  // that the click that caused it does not report it again.
  auto justChanged = std::make_shared<bool>(false);
  QObject::connect(e, &QDateTimeEdit::dateTimeChanged, [this, e, justChanged](const QDateTime& V) {
    const TDateTime v = FromQDateTime(V);
    if (v == FValue) return;  // already reported by the click
    *justChanged = true;
    QTimer::singleShot(0, e, [justChanged] { *justChanged = false; });
    UserChanged(v);
  });
  e->OnCalendarMade = [this, justChanged](QCalendarWidget* Calendar) {
    ApplyFirstDayOfWeek(Calendar, FFirstDayOfWeek);
    // A field that holds no date yet (day 0, shown as its hint) opens its calendar on the
    // current month rather than on December 1899, with the focus frame on today (the page
    // change alone leaves it on the day of month of 30 December); nothing is selected, so the
    // hint stays. The field has set the calendar to its own date by the time it is shown.
    Calendar->installEventFilter(new TLambdaFilter(Calendar, [this, Calendar](QObject*, QEvent* E) {
      if (E->type() == QEvent::Show && Date() == 0) {
        const QDate today = QDate::currentDate();
        Calendar->setCurrentPage(today.year(), today.month());
        FocusDayShown(Calendar, today.day());
      }
      return false;
    }));
    QObject::connect(
        Calendar, &QCalendarWidget::clicked, [this, justChanged](const QDate& D) {
          const TDateTime v =
              static_cast<double>(kEpoch.daysTo(D)) + (FValue - std::floor(FValue));
          if (*justChanged && v == FValue) return;
          UserChanged(v);
        });
  };
}

void TDateTimePicker::UserChanged(TDateTime Value) {
  FValue = Value;
  GuardedCall([this] {
    if (OnChange) OnChange(this);
  });
}

void TDateTimePicker::ShowValue() {
  auto* e = static_cast<QDateTimeEdit*>(Handle());
  Silently(e, [&] { e->setDateTime(ToQDateTime(FValue)); });
}

TDateTime TDateTimePicker::Date() const { return std::floor(FValue); }

void TDateTimePicker::SetDate(TDateTime Value) {
  FValue = std::floor(Value) + (FValue - std::floor(FValue));
  ShowValue();
}

TDateTime TDateTimePicker::Time() const { return FValue - std::floor(FValue); }

void TDateTimePicker::SetTime(TDateTime Value) {
  FValue = std::floor(FValue) + (Value - std::floor(Value));
  ShowValue();
}

void TDateTimePicker::SetDateTime(TDateTime Value) {
  FValue = Value;
  ShowValue();
}

void TDateTimePicker::SetKind(TDateTimeKind Value) {
  FKind = Value;
  auto* e = static_cast<QDateTimeEdit*>(Handle());
  Silently(e, [&] {
    if (Value == dtkDate) {
      e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
      e->setCalendarPopup(true);
    } else {
      e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
      e->setCalendarPopup(false);
    }
  });
  ShowValue();
}

void TDateTimePicker::SetTextHint(const String& Value) {
  FTextHint = Value;
  // Qt shows this text while the field holds its minimum, day 0.
  static_cast<QDateTimeEdit*>(Handle())->setSpecialValueText(QStr(Value));
}

void TDateTimePicker::SetFirstDayOfWeek(int Value) {
  FFirstDayOfWeek = Value;
  ApplyFirstDayOfWeek(static_cast<TDateEditWidget*>(Handle())->ExistingCalendar(), Value);
}

bool TDateTimePicker::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Date")
    SetDate(static_cast<double>(Value.AsFloat()));
  else if (Prop == "Time")
    SetTime(static_cast<double>(Value.AsFloat()));
  else if (Prop == "Kind")
    SetKind(static_cast<TDateTimeKind>(
        DescribedEnum(Value, {{"dtkDate", dtkDate}, {"dtkTime", dtkTime}})));
  else if (Prop == "TextHint")
    SetTextHint(Value.AsString());
  else if (Prop == "FirstDayOfWeek")
    SetFirstDayOfWeek(DescribedEnum(Value, {{"dowMonday", 1},
                                            {"dowTuesday", 2},
                                            {"dowWednesday", 3},
                                            {"dowThursday", 4},
                                            {"dowFriday", 5},
                                            {"dowSaturday", 6},
                                            {"dowSunday", 7}}));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TDateTimePicker::SetDescribedEvent(const String& Event, const String& Handler,
                                        TComponent* Root) {
  if (Event == "OnChange") {
    OnChange = FindEventHandler<void(TObject*)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}
