#pragma once
// Report-style list view and the calendar date picker.

#include <memory>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "StdCtrls.h"
#include "SysUtils.h"

class TListView;

// ---- columns -----------------------------------------------------------------------------
class TListColumn : public TPersistent {
public:
  String ClassName() const override { return "TListColumn"; }
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

private:
  friend class TListColumns;
  explicit TListColumn(TListView* Owner) : FOwner(Owner) {}
  TListView* FOwner;
  String FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class TListColumns {
public:
  explicit TListColumns(TListView* Owner) : FOwner(Owner) {}
  ~TListColumns();
  TListColumn* Add();
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TListColumn* Items(int Index) const;
  TListColumn* operator[](int Index) const { return Items(Index); }

private:
  TListView* FOwner;
  std::vector<std::unique_ptr<TListColumn>> FItems;
};

// ---- items -------------------------------------------------------------------------------
class TListItem : public TPersistent {
public:
  ~TListItem() override;
  String ClassName() const override { return "TListItem"; }
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  // The texts of columns 2, 3, ...
  TStrings* SubItems() const { return FSubItems.get(); }
  int Index() const;
  bool Selected() const;
  void SetSelected(bool Value);
  TListView* ListView() const { return FOwner; }
  // Free for the program's own use.
  void* Data = nullptr;

private:
  friend class TListItems;
  explicit TListItem(TListView* Owner);
  TListView* FOwner;
  String FCaption;
  std::unique_ptr<TStrings> FSubItems;
};

class TListItems {
public:
  explicit TListItems(TListView* Owner) : FOwner(Owner) {}
  ~TListItems();
  TListItem* Add();
  void Clear();
  void Delete(int Index);
  int Count() const { return static_cast<int>(FItems.size()); }
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  int IndexOf(const TListItem* Item) const;
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TListView;
  TListView* FOwner;
  std::vector<std::unique_ptr<TListItem>> FItems;
  int FUpdateCount = 0;
};

// ---- TListView ---------------------------------------------------------------------------
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListViewModel;

class TListView : public TWinControl {
public:
  explicit TListView(TComponent* AOwner);
  ~TListView() override;
  String ClassName() const override { return "TListView"; }

  TListColumns* Columns() const { return FColumns.get(); }
  TListItems* Items() const { return FItems.get(); }
  void Clear() { FItems->Clear(); }

  // Only the report style is drawn; the others are kept as values.
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value) { FViewStyle = Value; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  bool ReadOnly = true;

  // The selected item (index -1 / null for none). Setting them fires nothing.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TListItem* Selected() const;
  void SetSelected(TListItem* Item);

  // OnSelectItem fires when the user changes the selection (for the item left and the one
  // chosen); OnClick on every click.
  TLVSelectItemEvent OnSelectItem;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

  // Toolkit internals: the columns or items changed.
  void ColumnsChanged();
  void ItemsChanged(bool Structure);

private:
  friend class TListViewModel;
  friend class TListItems;
  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  std::unique_ptr<TListViewModel> FModel;
  TViewStyle FViewStyle = vsIcon;
  bool FRowSelect = false;
  bool FGridLines = false;
  bool FShowColumnHeaders = true;
  bool FInCode = false;
};

// ---- TDateTimePicker ---------------------------------------------------------------------
enum TDateTimeKind { dtkDate, dtkTime };

// A date (or time) field with a calendar that drops down. OnChange fires on every user pick
// in the calendar (the date already shown too) and when the user edits the field; setting
// Date or Time from code fires nothing.
class TDateTimePicker : public TWinControl {
public:
  explicit TDateTimePicker(TComponent* AOwner);
  String ClassName() const override { return "TDateTimePicker"; }

  // Date: the whole day; Time: the fraction; DateTime: both.
  TDateTime Date() const;
  void SetDate(TDateTime Value);
  TDateTime Time() const;
  void SetTime(TDateTime Value);
  TDateTime DateTime() const { return FValue; }
  void SetDateTime(TDateTime Value);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind Value);
  // Monday first unless set otherwise (1 = Monday ... 7 = Sunday).
  int FirstDayOfWeek() const { return FFirstDayOfWeek; }
  void SetFirstDayOfWeek(int Value);
  // The text shown while no date was picked yet (when Date is 0).
  String TextHint() const { return FTextHint; }
  void SetTextHint(const String& Value);

  TNotifyEvent OnChange;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

  // Toolkit internal: the user picked or typed a value.
  void UserChanged(TDateTime Value);

private:
  void ShowValue();
  TDateTime FValue = 0;
  TDateTimeKind FKind = dtkDate;
  int FFirstDayOfWeek = 1;
  String FTextHint;
  bool FInCode = false;
};

// The calendar picker: the same control, starting with no date (Date 0, showing TextHint)
// until the user picks one.
class TCalendarPicker : public TDateTimePicker {
public:
  explicit TCalendarPicker(TComponent* AOwner) : TDateTimePicker(AOwner) { SetDateTime(0); }
  String ClassName() const override { return "TCalendarPicker"; }
  bool IsEmpty() const { return DateTime() == 0; }
};
