// The report list view and the date picker.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

#include "ComCtrls.h"
#include "Forms.h"
#include "support_ui.h"

namespace {

struct ListWindow {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TListView* view = new TListView(form.get());
  ListWindow() {
    view->SetParent(form.get());
    view->SetBounds(0, 0, 500, 300);
    view->SetViewStyle(vsReport);
    struct Col {
      const char* caption;
      int width;
      TAlignment align;
    } cols[] = {{"Date Time ( UTC )", 200, taRightJustify},
                {"Azimuth ( Deg.)", 110, taRightJustify},
                {"Note", 90, taLeftJustify}};
    for (const auto& c : cols) {
      TListColumn* col = view->Columns()->Add();
      col->SetCaption(c.caption);
      col->SetWidth(c.width);
      col->SetAlignment(c.align);
    }
    form->Show();
  }
  QTreeView* Tree() const { return static_cast<QTreeView*>(view->Handle()); }
  QString Shown(int Row, int Col) const {
    return Tree()->model()->index(Row, Col).data().toString();
  }
  QPoint RowCenter(int Row) const {
    return Tree()->visualRect(Tree()->model()->index(Row, 0)).center();
  }
};

TEST(ListView, ShowsColumnsAndItemsWithTheirSubItems) {
  ListWindow w;
  for (int i = 0; i < 3; ++i) {
    TListItem* it = w.view->Items()->Add();
    it->SetCaption("row " + std::to_string(i));
    it->SubItems()->Add(std::to_string(i * 10));
  }
  EXPECT_EQ(w.Tree()->header()->sectionSize(0), 200);
  EXPECT_EQ(w.Tree()->model()->headerData(1, Qt::Horizontal).toString(),
            QStringLiteral("Azimuth ( Deg.)"));
  EXPECT_EQ(w.Shown(2, 0), QStringLiteral("row 2"));
  EXPECT_EQ(w.Shown(2, 1), QStringLiteral("20"));
  EXPECT_EQ(w.Shown(2, 2), QString()) << "a missing sub-item shows empty";
  // Changing an item's texts later shows too.
  w.view->Items()->Item(1)->SubItems()->Add("late note");
  EXPECT_EQ(w.Shown(1, 2), QStringLiteral("late note"));
  w.view->Clear();
  EXPECT_EQ(w.view->Items()->Count(), 0);
  EXPECT_EQ(w.Tree()->model()->rowCount(), 0);
  // Columns may be replaced while the list is shown.
  w.view->Columns()->Clear();
  w.view->Columns()->Add()->SetCaption("Change");
  EXPECT_EQ(w.Tree()->model()->columnCount(), 1);
  EXPECT_THROW(w.view->Items()->Item(0), EListError);
}

TEST(ListView, SelectionFromCodeIsSilentAndTheUsersIsReported) {
  ListWindow w;
  for (int i = 0; i < 3; ++i) w.view->Items()->Add()->SetCaption("item " + std::to_string(i));
  std::vector<std::pair<int, bool>> selections;
  int clicks = 0;
  w.view->OnSelectItem = [&](TObject*, TListItem* Item, bool Selected) {
    selections.emplace_back(Item->Index(), Selected);
  };
  w.view->OnClick = [&](TObject*) { ++clicks; };
  w.view->SetItemIndex(0);
  EXPECT_EQ(w.view->ItemIndex(), 0);
  EXPECT_TRUE(selections.empty());
  ui::Click(w.Tree()->viewport(), w.RowCenter(2));
  EXPECT_EQ(w.view->ItemIndex(), 2);
  EXPECT_EQ(w.view->Selected(), w.view->Items()->Item(2));
  EXPECT_EQ(selections, (std::vector<std::pair<int, bool>>{{0, false}, {2, true}}));
  EXPECT_EQ(clicks, 1);
  w.view->SetSelected(nullptr);
  EXPECT_EQ(w.view->ItemIndex(), -1);
}

TEST(DateTimePicker, DateAndTimeAreTheDayAndItsFraction) {
  TForm f(nullptr);
  auto* p = new TDateTimePicker(&f);
  p->SetParent(&f);
  int changes = 0;
  p->OnChange = [&](TObject*) { ++changes; };
  p->SetDateTime(45292.75);  // 1 January 2024, 18:00
  EXPECT_DOUBLE_EQ(p->Date(), 45292.0);
  EXPECT_DOUBLE_EQ(p->Time(), 0.75);
  p->SetDate(45300.2);
  EXPECT_DOUBLE_EQ(p->DateTime(), 45300.75);
  auto* e = static_cast<QDateTimeEdit*>(p->Handle());
  EXPECT_EQ(e->date(), QDate(2024, 1, 9));
  EXPECT_EQ(changes, 0) << "code changes fire nothing";
  // Dates before 1899-12-30 are negative day numbers.
  p->SetDate(-1);
  EXPECT_DOUBLE_EQ(p->Date(), -1.0);
}

TEST(DateTimePicker, EveryUserPickFiresOnChange) {
  TForm f(nullptr);
  auto* p = new TDateTimePicker(&f);
  p->SetParent(&f);
  p->SetDate(45292);
  f.Show();
  int changes = 0;
  p->OnChange = [&](TObject*) { ++changes; };
  auto* e = static_cast<QDateTimeEdit*>(p->Handle());
  // A pick in the calendar of another day, then of the day already shown.
  // (Each pick is its own user action: the event loop runs in between.)
  e->calendarWidget()->clicked(QDate(2024, 1, 5));
  ui::Pump(5);
  EXPECT_EQ(changes, 1);
  EXPECT_DOUBLE_EQ(p->Date(), 45296.0);
  e->calendarWidget()->clicked(QDate(2024, 1, 5));
  ui::Pump(5);
  EXPECT_EQ(changes, 2);
  // Typing in the field.
  e->setFocus();
  e->setSelectedSection(QDateTimeEdit::DaySection);
  ui::Key(e, Qt::Key_Up);
  EXPECT_EQ(changes, 3);
  EXPECT_DOUBLE_EQ(p->Date(), 45297.0);
  f.Hide();
}

}  // namespace

namespace {
TEST(CalendarPicker, StartsEmptyShowingItsHint) {
  TForm f(nullptr);
  auto* p = new TCalendarPicker(&f);
  p->SetParent(&f);
  p->SetTextHint("select a date");
  EXPECT_TRUE(p->IsEmpty());
  EXPECT_EQ(static_cast<QDateTimeEdit*>(p->Handle())->text(), QStringLiteral("select a date"));
  p->SetDate(45292);
  EXPECT_FALSE(p->IsEmpty());
  EXPECT_EQ(p->FirstDayOfWeek(), 1);
  EXPECT_EQ(static_cast<QDateTimeEdit*>(p->Handle())->calendarWidget()->firstDayOfWeek(),
            Qt::Monday);
}

// The day of the calendar's focus frame (the current cell of its day table): the first "1" of
// the day cells starts the month shown, and each cell after it is a day later. Invalid without
// a current cell.
QDate FocusedDay(QCalendarWidget* Calendar) {
  auto* view = Calendar->findChild<QTableView*>();
  const QModelIndex focus = view->currentIndex();
  if (!focus.isValid()) return {};
  const QAbstractItemModel* m = view->model();
  const int row0 =
      Calendar->horizontalHeaderFormat() == QCalendarWidget::NoHorizontalHeader ? 0 : 1;
  const int col0 = Calendar->verticalHeaderFormat() == QCalendarWidget::NoVerticalHeader ? 0 : 1;
  const int days = m->columnCount() - col0;
  const auto place = [&](int Row, int Col) { return (Row - row0) * days + Col - col0; };
  for (int r = row0; r < m->rowCount(); ++r)
    for (int c = col0; c < m->columnCount(); ++c)
      if (m->index(r, c).data().toInt() == 1)
        return QDate(Calendar->yearShown(), Calendar->monthShown(), 1)
            .addDays(place(focus.row(), focus.column()) - place(r, c));
  return {};
}

// The drop-down calendar opens on the month of the date held, and on the current month while
// the field holds none; the focus frame is on the date held, or on today; a first pick is still
// reported.
TEST(CalendarPicker, TheCalendarOpensOnTheDateHeldOrOnToday) {
  const QDate today = QDate::currentDate();
  struct Case {
    const char* what;
    TDateTime date;
    QDate page;
    QDate focus;
  };
  const Case cases[] = {
      {"no date", 0, today, today},
      {"a date held", 45292, QDate(2024, 1, 1), QDate(2024, 1, 1)},
  };
  for (const Case& c : cases) {
    TForm f(nullptr);
    auto* p = new TCalendarPicker(&f);
    p->SetParent(&f);
    p->SetTextHint("select a date");
    p->SetDate(c.date);
    int changes = 0;
    p->OnChange = [&](TObject*) { ++changes; };
    f.Show();
    auto* e = static_cast<QDateTimeEdit*>(p->Handle());
    e->setFocus();
    ui::Click(e, QPoint(e->width() - 6, e->height() / 2));  // the drop-down arrow
    ui::Pump(10);
    QCalendarWidget* calendar = e->calendarWidget();
    ASSERT_TRUE(calendar->isVisible()) << c.what;
    EXPECT_EQ(calendar->yearShown(), c.page.year()) << c.what;
    EXPECT_EQ(calendar->monthShown(), c.page.month()) << c.what;
    EXPECT_EQ(FocusedDay(calendar).toString(Qt::ISODate).toStdString(),
              c.focus.toString(Qt::ISODate).toStdString())
        << c.what;
    EXPECT_EQ(p->Date(), c.date) << c.what << ": opening changes nothing";
    calendar->clicked(QDate(2024, 1, 5));
    ui::Pump(5);
    EXPECT_EQ(changes, 1) << c.what;
    EXPECT_DOUBLE_EQ(p->Date(), 45296.0) << c.what;
    f.Hide();
  }
}
}  // namespace
