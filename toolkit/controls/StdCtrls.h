#pragma once
// Standard controls: label, edit, memo, button, radio button, check box, list box, combo box,
// group box.
//
// Event rules (as the platform fires them):
// - TEdit::OnChange fires when the text changes, by typing or by SetText from code (not when
//   code sets the same text again).
// - TRadioButton::OnClick fires when the button becomes checked: once per user click, and when
//   code sets Checked to true on an unchecked button. Checking one radio button unchecks the
//   radio buttons with the same parent. Clicking an already checked button does nothing.
// - TCheckBox::OnClick fires whenever the state changes, by the user or by code.
// - TListBox::OnClick and TComboBox::OnChange fire only on the user's action (a click on an
//   item, a keyboard move, a pick from the list); code that sets ItemIndex or fills Items
//   fires nothing.
// - TButton::Click() runs OnClick, as a user click does.

#include <memory>

#include "Classes.h"
#include "Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// ---- TLabel ------------------------------------------------------------------------------
class TLabel : public TControl {
public:
  explicit TLabel(TComponent* AOwner);
  String ClassName() const override { return "TLabel"; }

  // AutoSize (the default) makes the label as large as its text after each caption change.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  void Loaded() override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;
  void ApplyFontAndColor() override;

private:
  void AdjustSize();
  String FCaption;  // as set; the widget shows it with CR LF and lone CR as line breaks
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FTransparent = true;
  TAlignment FAlignment = taLeftJustify;
};

// ---- TEdit -------------------------------------------------------------------------------
class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent* AOwner);
  String ClassName() const override { return "TEdit"; }

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Limits what the user types (0 = no limit); text set by code may be longer.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // Only digits may be typed.
  bool NumbersOnly() const { return FNumbersOnly; }
  void SetNumbersOnly(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);  // bsNone or bsSingle
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;
  // Fires OnChange (called for user edits through the exception router, for code directly).
  virtual void Change();

private:
  bool FReadOnly = false;
  int FMaxLength = 0;
  bool FNumbersOnly = false;
  TAlignment FAlignment = taLeftJustify;
  TFormBorderStyle FBorderStyle = bsSingle;
  String FLastText;
};

// ---- TMemo -------------------------------------------------------------------------------
class TMemo : public TWinControl {
public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  String ClassName() const override { return "TMemo"; }

  // The lines of the memo; changes show at once.
  TStrings* Lines() const { return FLines.get(); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;

private:
  std::unique_ptr<TStrings> FLines;
  bool FReadOnly = false;
  bool FWordWrap = true;
};

// ---- TButton -----------------------------------------------------------------------------
enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7
};

class TButton : public TWinControl {
public:
  explicit TButton(TComponent* AOwner);
  String ClassName() const override { return "TButton"; }

  // Enter on the window presses the Default button; Escape presses the Cancel button.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Set on a button of a modal window: clicking it closes the window with that result.
  int ModalResult = mrNone;

  void Click() override;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;

private:
  bool FDefault = false;
  bool FCancel = false;
};

// ---- TRadioButton / TCheckBox --------------------------------------------------------------
class TRadioButton : public TWinControl {
public:
  explicit TRadioButton(TComponent* AOwner);
  String ClassName() const override { return "TRadioButton"; }

  bool Checked() const;
  void SetChecked(bool Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;

private:
  void UncheckSiblings();
};

class TCheckBox : public TWinControl {
public:
  explicit TCheckBox(TComponent* AOwner);
  String ClassName() const override { return "TCheckBox"; }

  bool Checked() const;
  void SetChecked(bool Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;
};

// ---- TListBox ----------------------------------------------------------------------------
class TListBox : public TWinControl {
public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  String ClassName() const override { return "TListBox"; }

  // The items; changes show at once and fire no event.
  TStrings* Items() const { return FItems.get(); }
  // The selected item, -1 for none.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  int Count() const { return FItems->Count(); }
  void Clear() { FItems->Clear(); }
  int TopIndex() const;
  void SetTopIndex(int Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

private:
  std::unique_ptr<TStrings> FItems;
  int FRowAtPress = -2;
};

// ---- TComboBox ---------------------------------------------------------------------------
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl {
public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  String ClassName() const override { return "TComboBox"; }

  TStrings* Items() const { return FItems.get(); }
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount = 8;
  void Clear();

  // OnChange: the user picked an item (also the one already shown) or typed (csDropDown).
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

protected:
  // In a drop-down list, setting a text that is an item selects it; any other text shows in
  // the box with no item selected (ItemIndex -1) until the user picks one; Text returns the
  // text shown.
  String GetText() const override;
  void SetTextValue(const String& Value) override;

private:
  std::unique_ptr<TStrings> FItems;
  TComboBoxStyle FStyle = csDropDown;
};

// ---- TGroupBox ---------------------------------------------------------------------------
class TGroupBox : public TWinControl {
public:
  explicit TGroupBox(TComponent* AOwner);
  String ClassName() const override { return "TGroupBox"; }

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;
};
