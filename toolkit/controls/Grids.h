#pragma once
// TStringGrid: a grid of text cells backed by a model, so that half a million rows of a dozen
// columns cost no widget per cell.
//
// Cells outside the current ColCount/RowCount are kept: writing one is accepted silently and
// reading it back gives the text written; it shows once the counts grow to include it.
// Changing the counts never discards texts. Negative indexes read "" and writes to them are
// ignored. Fixed rows and columns (the top FixedRows rows, the left FixedCols columns) are
// ordinary cells: addressable, writable and clickable (OnMouseDown/OnMouseUp and MouseToCell
// report them); they are drawn in the button colour, stay in view while the other cells
// scroll, and are never selected.
//
// The table views are made when first needed: when the grid is first shown, or when something
// only a view can answer is asked for (focus, the top row or left column, scrolling, the cell
// under a point). Until then the grid holds all its state itself (counts, cells, sizes,
// options, the selected cell) and gives it to the views when they are made, so a grid on a
// window that is never shown costs no view at all.

#include <memory>
#include <vector>

#include "Controls.h"

enum TGridOption : unsigned {
  goFixedVertLine = 1 << 0,
  goFixedHorzLine = 1 << 1,
  goVertLine = 1 << 2,
  goHorzLine = 1 << 3,
  goRangeSelect = 1 << 4,
  goDrawFocusSelected = 1 << 5,
  goRowSizing = 1 << 6,
  goColSizing = 1 << 7,
  goRowMoving = 1 << 8,
  goColMoving = 1 << 9,
  goEditing = 1 << 10,
  goTabs = 1 << 11,
  goRowSelect = 1 << 12,
  goAlwaysShowEditor = 1 << 13,
  goThumbTracking = 1 << 14
};
using TGridOptions = unsigned;

using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TStringGridModel;
class TGridView;

class TStringGrid : public TWinControl {
public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;
  String ClassName() const override { return "TStringGrid"; }

  int ColCount() const { return FColCount; }
  void SetColCount(int Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);

  String Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const String& Value);

  // Texts made when asked for, for grids too large to fill: while a provider is set, a cell
  // for which it returns true shows (and Cells returns) the Text it gave; any other cell gives
  // its stored text. Setting or clearing the provider repaints.
  using TCellTextProvider = std::function<bool(int ACol, int ARow, String& Text)>;
  void SetCellTextProvider(TCellTextProvider Provider);
  bool HasCellTextProvider() const { return static_cast<bool>(FCellTextProvider); }
  // Empties every cell (the counts stay).
  void ClearCells();

  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  int ColWidths(int ACol) const;
  void SetColWidths(int ACol, int Value);
  int RowHeights(int ARow) const;
  void SetRowHeights(int ARow, int Value);

  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);

  // The selected cell. Setting them selects and scrolls it into view (no event).
  int Col() const { return FCol; }
  void SetCol(int Value);
  int Row() const { return FRow; }
  void SetRow(int Value);
  // The first scrollable row shown at the top.
  int TopRow() const;
  void SetTopRow(int Value);
  int LeftCol() const;
  void SetLeftCol(int Value);
  int VisibleRowCount() const;

  // The cell under the client point (X, Y); -1, -1 outside the cells.
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

  // OnSelectCell runs before the user moves to a cell (it may refuse); OnClick after.
  TSelectCellEvent OnSelectCell;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;
  // A description may give FixedCols/FixedRows before ColCount/RowCount: they are applied
  // again once all properties are in.
  void Loaded() override;

  void SetFocus() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Toolkit internal: the user moves to a cell (OnSelectCell may refuse; OnClick follows).
  bool UserSelect(int ACol, int ARow);
  // Toolkit internal: makes the table views now if they are not made yet (the grid's widget
  // does so when first shown).
  void ViewNeeded() const { EnsureView(); }

private:
  TGridView* EnsureView() const;
  void Select(int ACol, int ARow, bool WholeRow);
  mutable TGridView* FView = nullptr;
  // The last selection took the whole row (goRowSelect at the user's choice).
  bool FRowSelected = false;
  // SetCol/SetRow asked to bring the selected cell into view before the views were made.
  bool FScrollToSelected = false;
  void CountsChanged();
  void ApplySizes();
  void ScheduleRepaint();
  bool FRepaintPending = false;
  // One row's texts packed into one string: per cell a length (varint) then the bytes.
  std::vector<String> FRows;
  std::vector<int> FColWidths;
  std::vector<std::pair<int, int>> FRowHeights;  // rows with their own height
  std::unique_ptr<TStringGridModel> FModel;
  TCellTextProvider FCellTextProvider;
  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  TGridOptions FOptions =
      goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  int FCol = 1;
  int FRow = 1;
  bool FInSelect = false;
  int FFixedColsDescribed = -1;
  int FFixedRowsDescribed = -1;
};
