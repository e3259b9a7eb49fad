#include "Grids.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QCoreApplication>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string_view>

#include "ControlsQt.h"
#include "GraphicsQt.h"
#include "SysUtils.h"

// ---- packed rows -------------------------------------------------------------------------
// A row is one string: for each cell from column 0 on, its length as a base-128 varint and
// then its bytes. Cells after the last one stored are empty. Half a million rows of a dozen
// short texts fit in well under a hundred megabytes this way.
namespace {

bool NextCell(std::string_view Row, size_t& Pos, std::string_view& Cell) {
  if (Pos >= Row.size()) return false;
  size_t len = 0;
  int shift = 0;
  while (Pos < Row.size()) {
    const auto b = static_cast<unsigned char>(Row[Pos++]);
    len |= static_cast<size_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) break;
    shift += 7;
  }
  len = std::min(len, Row.size() - Pos);
  Cell = Row.substr(Pos, len);
  Pos += len;
  return true;
}

void AppendCell(String& Out, std::string_view Cell) {
  size_t len = Cell.size();
  do {
    unsigned char b = len & 0x7F;
    len >>= 7;
    if (len != 0) b |= 0x80;
    Out.push_back(static_cast<char>(b));
  } while (len != 0);
  Out.append(Cell);
}

}  // namespace

// ---- the model ---------------------------------------------------------------------------
class TStringGridModel : public QAbstractTableModel {
public:
  explicit TStringGridModel(TStringGrid* Grid) : FGrid(Grid) {}
  int rowCount(const QModelIndex& Parent) const override {
    return Parent.isValid() ? 0 : FGrid->RowCount();
  }
  int columnCount(const QModelIndex& Parent) const override {
    return Parent.isValid() ? 0 : FGrid->ColCount();
  }
  QVariant data(const QModelIndex& I, int Role) const override {
    if (!I.isValid()) return {};
    const bool fixed = I.row() < FGrid->FixedRows() || I.column() < FGrid->FixedCols();
    switch (Role) {
      case Qt::DisplayRole:
      case Qt::EditRole: return QStr(FGrid->Cells(I.column(), I.row()));
      case Qt::BackgroundRole:
        if (fixed) return ToQColor(clBtnFace);
        return {};
      case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
      default: return {};
    }
  }
  Qt::ItemFlags flags(const QModelIndex& I) const override {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool fixed = I.row() < FGrid->FixedRows() || I.column() < FGrid->FixedCols();
    if ((FGrid->Options() & goEditing) != 0 && !fixed) f |= Qt::ItemIsEditable;
    return f;
  }
  bool setData(const QModelIndex& I, const QVariant& V, int Role) override {
    if (Role != Qt::EditRole || !I.isValid()) return false;
    FGrid->SetCells(I.column(), I.row(), FromQStr(V.toString()));
    return true;
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  // Grows or shrinks the rows or columns the view knows; Apply changes the grid's count
  // between the begin and end calls the view needs.
  void Resize(bool Rows, int Old, int New, const std::function<void()>& Apply) {
    if (New > Old) {
      if (Rows)
        beginInsertRows(QModelIndex(), Old, New - 1);
      else
        beginInsertColumns(QModelIndex(), Old, New - 1);
      Apply();
      if (Rows)
        endInsertRows();
      else
        endInsertColumns();
    } else if (New < Old) {
      if (Rows)
        beginRemoveRows(QModelIndex(), New, Old - 1);
      else
        beginRemoveColumns(QModelIndex(), New, Old - 1);
      Apply();
      if (Rows)
        endRemoveRows();
      else
        endRemoveColumns();
    }
  }
  // The fixed cells changed colour.
  void Repaint() {
    Q_EMIT dataChanged(index(0, 0),
                       index(rowCount(QModelIndex()) - 1, columnCount(QModelIndex()) - 1));
  }

private:
  TStringGrid* FGrid;
};

// ---- the view ----------------------------------------------------------------------------
// The scrollable cells, with the fixed rows and columns frozen in three small views of the same
// model laid over the margins (top, left and the corner between them): they stay in place
// while the cells scroll, as the fixed cells of a grid do.
class TGridView : public QTableView {
public:
  explicit TGridView(QWidget* Parent) : QTableView(Parent) {
    Top = MakeOverlay("fixedRows");
    Left = MakeOverlay("fixedCols");
    Corner = MakeOverlay("fixedCorner");
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    QObject::connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
                     [this] { SyncScroll(); });
    QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
                     [this] { SyncScroll(); });
  }
  QTableView* Top;
  QTableView* Left;
  QTableView* Corner;
  int FixedRows = 0, FixedCols = 0;

  std::vector<QTableView*> All() { return {this, Top, Left, Corner}; }

  void SetModelAll(QAbstractItemModel* M) {
    for (QTableView* v : All()) v->setModel(M);
  }

  // Hides the fixed rows and columns here and shows them in the overlays.
  // The left overlay hides the fixed rows and the top one the fixed columns too, so each
  // scrolls by the same amount as the cells: an offset by the fixed size would be clamped away
  // when all rows (or columns) fit and the overlay could not scroll.
  void SetFixed(int Rows, int Cols) {
    for (int r = 0; r < std::max(Rows, FixedRows); ++r) {
      setRowHidden(r, r < Rows);
      Left->setRowHidden(r, r < Rows);
    }
    for (int c = 0; c < std::max(Cols, FixedCols); ++c) {
      setColumnHidden(c, c < Cols);
      Top->setColumnHidden(c, c < Cols);
    }
    FixedRows = Rows;
    FixedCols = Cols;
    Layout();
  }

  int FixedHeight() const {
    int h = 0;
    for (int r = 0; r < FixedRows; ++r) h += Top->rowHeight(r);
    return h;
  }
  int FixedWidth() const {
    int w = 0;
    for (int c = 0; c < FixedCols; ++c) w += Left->columnWidth(c);
    return w;
  }

  void Layout() {
    const int th = FixedRows > 0 ? FixedHeight() : 0, lw = FixedCols > 0 ? FixedWidth() : 0;
    setViewportMargins(lw, th, 0, 0);
    const QRect vp = viewport()->geometry();
    Top->setGeometry(vp.x(), vp.y() - th, vp.width(), th);
    Left->setGeometry(vp.x() - lw, vp.y(), lw, vp.height());
    Corner->setGeometry(vp.x() - lw, vp.y() - th, lw, th);
    Top->setVisible(FixedRows > 0);
    Left->setVisible(FixedCols > 0);
    Corner->setVisible(FixedRows > 0 && FixedCols > 0);
    SyncScroll();
  }

  void SyncScroll() {
    Top->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    Left->verticalScrollBar()->setValue(verticalScrollBar()->value());
  }

protected:
  void resizeEvent(QResizeEvent* E) override {
    QTableView::resizeEvent(E);
    Layout();
  }

private:
  QTableView* MakeOverlay(const char* Name) {
    auto* o = new QTableView(this);
    o->setObjectName(QLatin1String(Name));
    o->horizontalHeader()->hide();
    o->verticalHeader()->hide();
    o->horizontalHeader()->setMinimumSectionSize(0);
    o->verticalHeader()->setMinimumSectionSize(0);
    o->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    o->setFrameShape(QFrame::NoFrame);
    o->setFocusPolicy(Qt::NoFocus);
    o->setSelectionMode(QAbstractItemView::NoSelection);
    o->setEditTriggers(QAbstractItemView::NoEditTriggers);
    o->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    o->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    o->setHorizontalScrollMode(ScrollPerPixel);
    o->setVerticalScrollMode(ScrollPerPixel);
    o->setWordWrap(false);
    o->hide();
    return o;
  }
};

// ---- TStringGrid -------------------------------------------------------------------------
namespace {
// The grid's own widget: an empty host that makes the table views inside it when first shown.
class TGridHost : public QWidget {
public:
  explicit TGridHost(const TStringGrid* Grid) : FGrid(Grid) {}

protected:
  void showEvent(QShowEvent* E) override {
    FGrid->ViewNeeded();
    QWidget::showEvent(E);
  }

private:
  const TStringGrid* FGrid;
};
}  // namespace

TStringGrid::TStringGrid(TComponent* AOwner)
    : TWinControl(AOwner), FModel(std::make_unique<TStringGridModel>(this)) {
  SetBounds(0, 0, 320, 120);
  AttachWidget(Native(new TGridHost(this)));
  SetTabStop(true);
  FClickOnMouseUp = true;
}

// The views fill the host and stand for it: they take its place in the tab order, its focus
// (as its focus proxy), its font and colours, and then everything the grid holds.
TGridView* TStringGrid::EnsureView() const {
  if (FView != nullptr) return FView;
  QWidget* host = Handle();
  if (host == nullptr) return nullptr;
  auto* self = const_cast<TStringGrid*>(this);
  auto* v = new TGridView(host);
  FView = v;
  // The model goes before the widgets (see the destructor); the link goes with it.
  QObject::connect(v, &QObject::destroyed, FModel.get(), [self] { self->FView = nullptr; });
  v->SetModelAll(FModel.get());
  v->horizontalHeader()->hide();
  v->verticalHeader()->hide();
  v->horizontalHeader()->setMinimumSectionSize(0);
  v->verticalHeader()->setMinimumSectionSize(0);
  v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  v->setSelectionMode(QAbstractItemView::SingleSelection);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setWordWrap(false);
  // A text wider than its cell is cut at the cell's edge, as grids do, not shortened to "...":
  // the most of it stays readable in the narrow columns the window descriptions give.
  for (QTableView* view : v->All()) view->setTextElideMode(Qt::ElideNone);
  v->setGeometry(0, 0, Width(), Height());
  v->setFocusPolicy(host->focusPolicy());
  QWidget::setTabOrder(host, v);
  host->setFocusProxy(v);
  self->WatchChild(Native(v));
  // A press on a cell asks OnSelectCell before the selection moves; fixed cells are never
  // selected but still reach OnMouseDown/OnMouseUp (the toolkit's filter runs before this one).
  v->viewport()->installEventFilter(new TLambdaFilter(v, [self, v](QObject*, QEvent* e) {
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
      return false;
    if (!v->isEnabled()) return false;
    auto* me = static_cast<QMouseEvent*>(e);
    if (me->button() != Qt::LeftButton) return false;
    const QModelIndex i = v->indexAt(me->position().toPoint());
    if (i.isValid() && i.row() >= self->FFixedRows && i.column() >= self->FFixedCols)
      self->UserSelect(i.column(), i.row());
    v->setFocus(Qt::MouseFocusReason);
    return true;
  }));
  self->WatchChild(Native(v->viewport()));
  // The fixed cells: clickable (the events reach the grid), never selected; the wheel over
  // them scrolls the cells.
  for (QTableView* o : {v->Top, v->Left, v->Corner}) {
    o->viewport()->installEventFilter(new TLambdaFilter(o, [v](QObject*, QEvent* e) {
      if (e->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(v->verticalScrollBar(), e);
        return true;
      }
      if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        v->setFocus(Qt::MouseFocusReason);
        return true;
      }
      return e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseMove;
    }));
    self->WatchChild(Native(o->viewport()));
  }
  // Keyboard moves.
  QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged, v,
                   [self, v](const QModelIndex& Now, const QModelIndex& Before) {
                     if (self->FInSelect || !Now.isValid()) return;
                     if (Now.column() == self->FCol && Now.row() == self->FRow) return;
                     if (!self->UserSelect(Now.column(), Now.row()) && Before.isValid()) {
                       self->FInSelect = true;
                       v->selectionModel()->setCurrentIndex(Before,
                                                            QItemSelectionModel::ClearAndSelect);
                       self->FInSelect = false;
                     } else {
                       GuardedCall([self] { self->Click(); });
                     }
                   });
  self->ApplySizes();
  self->ApplyFontAndColor();
  self->Select(FCol, FRow, FRowSelected);
  if (FScrollToSelected) {
    self->FScrollToSelected = false;
    v->scrollTo(FModel->index(FRow, FCol));
  }
  v->show();
  return v;
}

TStringGrid::~TStringGrid() {
  // The views go with the widget; they must not read a model that is already gone.
  if (FView != nullptr) FView->SetModelAll(nullptr);
}

void TStringGrid::SetFocus() {
  EnsureView();
  TWinControl::SetFocus();
}

void TStringGrid::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FView != nullptr) FView->setGeometry(0, 0, Width(), Height());
}

// Makes (ACol, ARow) the selected cell without asking anyone; the views follow when they exist.
void TStringGrid::Select(int ACol, int ARow, bool WholeRow) {
  FCol = ACol;
  FRow = ARow;
  FRowSelected = WholeRow;
  if (FView == nullptr) return;
  FInSelect = true;
  FView->selectionModel()->setCurrentIndex(
      FModel->index(ARow, ACol),
      QItemSelectionModel::ClearAndSelect |
          (WholeRow ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
  FInSelect = false;
}

bool TStringGrid::UserSelect(int ACol, int ARow) {
  bool can = true;
  GuardedCall([&] {
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  });
  if (!can) return false;
  Select(ACol, ARow, (FOptions & goRowSelect) != 0);
  return true;
}

void TStringGrid::SetCellTextProvider(TCellTextProvider Provider) {
  FCellTextProvider = std::move(Provider);
  ScheduleRepaint();
}

String TStringGrid::Cells(int ACol, int ARow) const {
  if (FCellTextProvider && ACol >= 0 && ARow >= 0) {
    String text;
    if (FCellTextProvider(ACol, ARow, text)) return text;
  }
  if (ACol < 0 || ARow < 0 || static_cast<size_t>(ARow) >= FRows.size()) return String();
  std::string_view row = FRows[static_cast<size_t>(ARow)];
  size_t pos = 0;
  std::string_view cell;
  for (int c = 0; c <= ACol; ++c)
    if (!NextCell(row, pos, cell)) return String();
  return String(cell);
}

void TStringGrid::SetCells(int ACol, int ARow, const String& Value) {
  if (ACol < 0 || ARow < 0) return;
  const auto r = static_cast<size_t>(ARow);
  if (r >= FRows.size()) {
    if (Value.empty()) return;  // already empty
    FRows.resize(r + 1);
  }
  String& row = FRows[r];
  // Find the cell in place; most writes append to the row or replace a text of equal length.
  size_t pos = 0, cellStart = 0;
  std::string_view cell;
  int c = 0;
  for (; c <= ACol; ++c) {
    cellStart = pos;
    if (!NextCell(row, pos, cell)) break;
  }
  if (c <= ACol) {
    // The row ends before the cell: append empty cells and the text.
    if (Value.empty()) return;
    for (; c < ACol; ++c) AppendCell(row, {});
    AppendCell(row, Value);
  } else {
    String encoded;
    AppendCell(encoded, Value);
    if (encoded.size() == pos - cellStart)
      row.replace(cellStart, encoded.size(), encoded);
    else
      row.replace(cellStart, pos - cellStart, encoded);
    if (Value.empty() && cellStart + encoded.size() == row.size()) {
      // Trailing empty cells need no room.
      size_t keep = 0, p = 0;
      while (NextCell(row, p, cell))
        if (!cell.empty()) keep = p;
      row.resize(keep);
    }
  }
  if (ARow < FRowCount && ACol < FColCount) ScheduleRepaint();
}

void TStringGrid::ClearCells() {
  std::vector<String>().swap(FRows);
  ScheduleRepaint();
}

// One repaint of the views once the current work is done, however many cells it wrote: the
// scrolling view and the frozen views of the fixed rows, the fixed columns and their corner.
void TStringGrid::ScheduleRepaint() {
  TGridView* v = FView;
  if (FRepaintPending || v == nullptr || !v->isVisible()) return;
  FRepaintPending = true;
  QTimer::singleShot(0, v, [this, v] {
    FRepaintPending = false;
    for (QTableView* t : v->All()) t->viewport()->update();
  });
}

// Counts change by inserting or removing rows and columns in the view, never by resetting
// it, so a program that grows the grid row by row stays fast.
void TStringGrid::SetColCount(int Value) {
  Value = std::max(1, Value);
  if (Value == FColCount) return;
  const int old = FColCount;
  FModel->Resize(false, old, Value, [&] { FColCount = Value; });
  FFixedCols = std::min(FFixedCols, FColCount - 1);
  if (TGridView* gv = FView) {
    for (QTableView* t : gv->All())
      for (int c = old; c < FColCount; ++c) t->horizontalHeader()->resizeSection(c, ColWidths(c));
    gv->SetFixed(FFixedRows, FFixedCols);
  }
  CountsChanged();
}

void TStringGrid::SetRowCount(int Value) {
  Value = std::max(1, Value);
  if (Value == FRowCount) return;
  const int old = FRowCount;
  FModel->Resize(true, old, Value, [&] { FRowCount = Value; });
  FFixedRows = std::min(FFixedRows, FRowCount - 1);
  if (TGridView* gv = FView) {
    for (QTableView* t : gv->All())
      for (const auto& rh : FRowHeights)
        if (rh.first >= old && rh.first < FRowCount)
          t->verticalHeader()->resizeSection(rh.first, rh.second);
    gv->SetFixed(FFixedRows, FFixedCols);
  }
  CountsChanged();
}

void TStringGrid::SetFixedCols(int Value) {
  if (IsLoading()) FFixedColsDescribed = Value;
  FFixedCols = std::clamp(Value, 0, std::max(0, FColCount - 1));
  if (TGridView* gv = FView) gv->SetFixed(FFixedRows, FFixedCols);
  FModel->Repaint();
  CountsChanged();
}

void TStringGrid::SetFixedRows(int Value) {
  if (IsLoading()) FFixedRowsDescribed = Value;
  FFixedRows = std::clamp(Value, 0, std::max(0, FRowCount - 1));
  if (TGridView* gv = FView) gv->SetFixed(FFixedRows, FFixedCols);
  FModel->Repaint();
  CountsChanged();
}

// Keeps the selected cell among the scrollable cells.
void TStringGrid::CountsChanged() {
  const int col = std::clamp(FCol, FFixedCols, FColCount - 1);
  const int row = std::clamp(FRow, FFixedRows, FRowCount - 1);
  if (col == FCol && row == FRow &&
      (FView == nullptr ||
       (FView->currentIndex().row() == FRow && FView->currentIndex().column() == FCol)))
    return;
  Select(col, row, false);
}

void TStringGrid::ApplySizes() {
  TGridView* gv = FView;
  if (gv == nullptr) return;
  const bool lines = (FOptions & (goVertLine | goHorzLine)) != 0;
  for (QTableView* t : gv->All()) {
    t->verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    t->horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    for (int c = 0; c < FColCount; ++c) t->horizontalHeader()->resizeSection(c, ColWidths(c));
    for (const auto& rh : FRowHeights)
      if (rh.first < FRowCount) t->verticalHeader()->resizeSection(rh.first, rh.second);
    t->setShowGrid(lines);
  }
  gv->SetFixed(FFixedRows, FFixedCols);
  QTableView* v = gv;
  v->setSelectionBehavior((FOptions & goRowSelect) ? QAbstractItemView::SelectRows
                                                   : QAbstractItemView::SelectItems);
  v->setEditTriggers((FOptions & goEditing)
                         ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed
                         : QAbstractItemView::NoEditTriggers);
}

void TStringGrid::SetDefaultColWidth(int Value) {
  FDefaultColWidth = std::max(0, Value);
  ApplySizes();
}

void TStringGrid::SetDefaultRowHeight(int Value) {
  FDefaultRowHeight = std::max(0, Value);
  ApplySizes();
}

int TStringGrid::ColWidths(int ACol) const {
  if (ACol >= 0 && static_cast<size_t>(ACol) < FColWidths.size() &&
      FColWidths[static_cast<size_t>(ACol)] >= 0)
    return FColWidths[static_cast<size_t>(ACol)];
  return FDefaultColWidth;
}

void TStringGrid::SetColWidths(int ACol, int Value) {
  if (ACol < 0) return;
  if (static_cast<size_t>(ACol) >= FColWidths.size())
    FColWidths.resize(static_cast<size_t>(ACol) + 1, -1);
  FColWidths[static_cast<size_t>(ACol)] = std::max(0, Value);
  if (TGridView* gv = FView; ACol < FColCount && gv != nullptr) {
    for (QTableView* t : gv->All()) t->horizontalHeader()->resizeSection(ACol, std::max(0, Value));
    gv->Layout();
  }
}

int TStringGrid::RowHeights(int ARow) const {
  for (const auto& rh : FRowHeights)
    if (rh.first == ARow) return rh.second;
  return FDefaultRowHeight;
}

void TStringGrid::SetRowHeights(int ARow, int Value) {
  if (ARow < 0) return;
  Value = std::max(0, Value);
  bool found = false;
  for (auto& rh : FRowHeights)
    if (rh.first == ARow) {
      rh.second = Value;
      found = true;
    }
  if (!found) FRowHeights.emplace_back(ARow, Value);
  if (TGridView* gv = FView; ARow < FRowCount && gv != nullptr) {
    for (QTableView* t : gv->All()) t->verticalHeader()->resizeSection(ARow, Value);
    gv->Layout();
  }
}

void TStringGrid::SetOptions(TGridOptions Value) {
  FOptions = Value;
  ApplySizes();
}

// A fixed cell cannot be selected: such a request is ignored.
void TStringGrid::SetCol(int Value) {
  if (Value < FFixedCols || Value >= FColCount) return;
  Select(Value, FRow, false);
  if (FView != nullptr)
    FView->scrollTo(FModel->index(FRow, FCol));
  else
    FScrollToSelected = true;
}

void TStringGrid::SetRow(int Value) {
  if (Value < FFixedRows || Value >= FRowCount) return;
  Select(FCol, Value, false);
  if (FView != nullptr)
    FView->scrollTo(FModel->index(FRow, FCol));
  else
    FScrollToSelected = true;
}

int TStringGrid::TopRow() const {
  QTableView* v = EnsureView();
  if (v == nullptr) return FFixedRows;
  const int r = v->rowAt(0);
  return r < 0 ? FFixedRows : std::max(r, FFixedRows);
}

void TStringGrid::SetTopRow(int Value) {
  if (Value < 0 || Value >= FRowCount) return;
  QTableView* v = EnsureView();
  if (v == nullptr) return;
  const int target = std::max(Value, FFixedRows);
  const int col = std::min(std::max(LeftCol(), FFixedCols), FColCount - 1);
  v->scrollTo(FModel->index(target, col), QAbstractItemView::PositionAtTop);
  // Scrolling by pixels can leave the row a little below the top edge.
  v->verticalScrollBar()->setValue(v->rowViewportPosition(target) +
                                   v->verticalScrollBar()->value());
}

int TStringGrid::LeftCol() const {
  QTableView* v = EnsureView();
  if (v == nullptr) return FFixedCols;
  const int c = v->columnAt(0);
  return c < 0 ? FFixedCols : std::max(c, FFixedCols);
}

void TStringGrid::SetLeftCol(int Value) {
  if (Value < 0 || Value >= FColCount) return;
  QTableView* v = EnsureView();
  if (v == nullptr) return;
  const int target = std::max(Value, FFixedCols);
  v->horizontalScrollBar()->setValue(v->columnViewportPosition(target) +
                                     v->horizontalScrollBar()->value());
}

int TStringGrid::VisibleRowCount() const {
  const int h = std::max(1, FDefaultRowHeight);
  return std::max(0, Height() / h - FFixedRows);
}

void TStringGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  TGridView* gv = EnsureView();
  ACol = -1;
  ARow = -1;
  if (gv == nullptr) return;
  for (QTableView* o : {gv->Corner, gv->Top, gv->Left}) {
    if (!o->isVisible() || !o->geometry().contains(QPoint(X, Y))) continue;
    const QModelIndex i = o->indexAt(o->viewport()->mapFrom(gv, QPoint(X, Y)));
    ACol = i.isValid() ? i.column() : -1;
    ARow = i.isValid() ? i.row() : -1;
    return;
  }
  QTableView* v = gv;
  const QPoint p = v->viewport()->mapFrom(v, QPoint(X, Y));
  const QModelIndex i = v->indexAt(p);
  if (!i.isValid() || !v->viewport()->rect().contains(p)) {
    ACol = -1;
    ARow = -1;
    return;
  }
  ACol = i.column();
  ARow = i.row();
}

bool TStringGrid::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "ColCount")
    SetColCount(static_cast<int>(Value.AsInteger()));
  else if (Prop == "RowCount")
    SetRowCount(static_cast<int>(Value.AsInteger()));
  else if (Prop == "FixedCols")
    SetFixedCols(static_cast<int>(Value.AsInteger()));
  else if (Prop == "FixedRows")
    SetFixedRows(static_cast<int>(Value.AsInteger()));
  else if (Prop == "DefaultColWidth")
    SetDefaultColWidth(static_cast<int>(Value.AsInteger()));
  else if (Prop == "DefaultRowHeight")
    SetDefaultRowHeight(static_cast<int>(Value.AsInteger()));
  else if (Prop == "ColWidths" || Prop == "RowHeights") {
    if (Value.kind != TPropValue::Kind::List)
      throw EConvertError("a list of widths ( ... ) expected");
    for (size_t i = 0; i < Value.items.size(); ++i) {
      const int n = StrToInt(Value.items[i]);
      if (Prop == "ColWidths")
        SetColWidths(static_cast<int>(i), n);
      else
        SetRowHeights(static_cast<int>(i), n);
    }
  } else if (Prop == "Options") {
    if (Value.kind != TPropValue::Kind::Set) throw EConvertError("a set of grid options expected");
    static const std::pair<const char*, unsigned> names[] = {
        {"goFixedVertLine", goFixedVertLine},
        {"goFixedHorzLine", goFixedHorzLine},
        {"goVertLine", goVertLine},
        {"goHorzLine", goHorzLine},
        {"goRangeSelect", goRangeSelect},
        {"goDrawFocusSelected", goDrawFocusSelected},
        {"goRowSizing", goRowSizing},
        {"goColSizing", goColSizing},
        {"goRowMoving", goRowMoving},
        {"goColMoving", goColMoving},
        {"goEditing", goEditing},
        {"goTabs", goTabs},
        {"goRowSelect", goRowSelect},
        {"goAlwaysShowEditor", goAlwaysShowEditor},
        {"goThumbTracking", goThumbTracking}};
    TGridOptions o = 0;
    for (const String& it : Value.items) {
      bool found = false;
      for (const auto& n : names)
        if (SameText(it, n.first)) {
          o |= n.second;
          found = true;
        }
      if (!found) throw EConvertError("unknown grid option '" + it + "'");
    }
    SetOptions(o);
  } else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

void TStringGrid::Loaded() {
  TWinControl::Loaded();
  if (FFixedColsDescribed >= 0) SetFixedCols(FFixedColsDescribed);
  if (FFixedRowsDescribed >= 0) SetFixedRows(FFixedRowsDescribed);
  FFixedColsDescribed = FFixedRowsDescribed = -1;
}

bool TStringGrid::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnSelectCell") {
    OnSelectCell = FindEventHandler<void(TObject*, int, int, bool&)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}
