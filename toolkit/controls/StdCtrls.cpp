#include "StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include "ControlsQt.h"
#include "Forms.h"
#include "SysUtils.h"

namespace {

// Items of a list box, kept in the widget itself. Changes from code fire no event.
class TListBoxStrings : public TStrings {
public:
  explicit TListBoxStrings(QListWidget* W) : FW(W) {}
  int Count() const override { return FW->count(); }
  String Get(int Index) const override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return FromQStr(FW->item(Index)->text());
  }
  void Put(int Index, const String& S) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Silently(FW, [&] { FW->item(Index)->setText(QStr(S)); });
  }
  void Insert(int Index, const String& S) override {
    if (Index < 0 || Index > Count()) IndexError(Index);
    Silently(FW, [&] { FW->insertItem(Index, QStr(S)); });
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Silently(FW, [&] { delete FW->takeItem(Index); });
  }
  void Clear() override {
    Silently(FW, [&] { FW->clear(); });
  }

private:
  QListWidget* FW;
};

class TComboBoxStrings : public TStrings {
public:
  explicit TComboBoxStrings(QComboBox* W) : FW(W) {}
  int Count() const override { return FW->count(); }
  String Get(int Index) const override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return FromQStr(FW->itemText(Index));
  }
  void Put(int Index, const String& S) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Silently(FW, [&] { FW->setItemText(Index, QStr(S)); });
  }
  void Insert(int Index, const String& S) override {
    if (Index < 0 || Index > Count()) IndexError(Index);
    Silently(FW, [&] {
      // Qt selects the first item put into an empty box; the toolkit leaves the selection
      // (and a typed text) as it was.
      const int before = FW->currentIndex();
      const QString text = FW->isEditable() ? FW->currentText() : QString();
      FW->insertItem(Index, QStr(S));
      if (before < 0) {
        FW->setCurrentIndex(-1);
        if (FW->isEditable()) FW->setEditText(text);
      }
    });
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Silently(FW, [&] { FW->removeItem(Index); });
  }
  void Clear() override {
    Silently(FW, [&] { FW->clear(); });
  }

private:
  QComboBox* FW;
};

class TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(QPlainTextEdit* W) : FW(W) {}
  int Count() const override { return static_cast<int>(Lines().size()); }
  String Get(int Index) const override {
    auto l = Lines();
    if (Index < 0 || Index >= static_cast<int>(l.size())) IndexError(Index);
    return l[static_cast<size_t>(Index)];
  }
  void Put(int Index, const String& S) override {
    auto l = Lines();
    if (Index < 0 || Index >= static_cast<int>(l.size())) IndexError(Index);
    l[static_cast<size_t>(Index)] = S;
    Store(l);
  }
  void Insert(int Index, const String& S) override {
    auto l = Lines();
    if (Index < 0 || Index > static_cast<int>(l.size())) IndexError(Index);
    l.insert(l.begin() + Index, S);
    Store(l);
  }
  void Delete(int Index) override {
    auto l = Lines();
    if (Index < 0 || Index >= static_cast<int>(l.size())) IndexError(Index);
    l.erase(l.begin() + Index);
    Store(l);
  }
  void Clear() override { Store({}); }

private:
  std::vector<String> Lines() const {
    std::vector<String> out;
    const QString t = FW->toPlainText();
    if (t.isEmpty()) return out;
    for (const QString& s : t.split(QLatin1Char('\n'))) out.push_back(FromQStr(s));
    return out;
  }
  void Store(const std::vector<String>& L) {
    QStringList q;
    for (const String& s : L) q << QStr(s);
    Silently(FW, [&] { FW->setPlainText(q.join(QLatin1Char('\n'))); });
  }
  QPlainTextEdit* FW;
};

}  // namespace

// ---- TLabel ------------------------------------------------------------------------------
TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
  auto* l = new QLabel;
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  FClickOnMouseUp = true;
  SetBounds(0, 0, 65, 13);
  AttachWidget(Native(l));
}

String TLabel::GetText() const { return FCaption; }

// Captions from descriptions break lines with CR LF (#13#10); Qt would draw the CR as a glyph.
void TLabel::SetTextValue(const String& Value) {
  FCaption = Value;
  String shown;
  shown.reserve(Value.size());
  for (size_t i = 0; i < Value.size(); ++i) {
    if (Value[i] != '\r')
      shown.push_back(Value[i]);
    else if (i + 1 >= Value.size() || Value[i + 1] != '\n')
      shown.push_back('\n');
  }
  static_cast<QLabel*>(Handle())->setText(QStr(shown));
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!FAutoSize || IsLoading() || Handle() == nullptr) return;
  auto* l = static_cast<QLabel*>(Handle());
  QSize s;
  if (FWordWrap) {
    s = QSize(Width(), l->heightForWidth(Width()));
  } else {
    const QFontMetrics fm(l->font());
    const QString t = l->text();
    const QStringList lines = t.split(QLatin1Char('\n'));
    int w = 0;
    for (const QString& line : lines) w = std::max(w, fm.horizontalAdvance(line));
    s = QSize(w, fm.height() * static_cast<int>(lines.size()));
  }
  SetBounds(Left(), Top(), s.width(), s.height());
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustSize();
}

void TLabel::SetWordWrap(bool Value) {
  FWordWrap = Value;
  static_cast<QLabel*>(Handle())->setWordWrap(Value);
  AdjustSize();
}

void TLabel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Qt::Alignment h = Value == taRightJustify ? Qt::AlignRight
                    : Value == taCenter     ? Qt::AlignHCenter
                                            : Qt::AlignLeft;
  static_cast<QLabel*>(Handle())->setAlignment(h | Qt::AlignTop);
}

void TLabel::SetTransparent(bool Value) {
  FTransparent = Value;
  ApplyFontAndColor();
}

void TLabel::ApplyFontAndColor() {
  TControl::ApplyFontAndColor();
  if (Handle() != nullptr && FTransparent) Handle()->setAutoFillBackground(false);
  AdjustSize();
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustSize();
}

bool TLabel::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "AutoSize")
    SetAutoSize(Value.AsBoolean());
  else if (Prop == "WordWrap")
    SetWordWrap(Value.AsBoolean());
  else if (Prop == "Transparent")
    SetTransparent(Value.AsBoolean());
  else if (Prop == "Alignment")
    SetAlignment(static_cast<TAlignment>(DescribedEnum(Value, {{"taLeftJustify", taLeftJustify},
                                                               {"taRightJustify", taRightJustify},
                                                               {"taCenter", taCenter}})));
  else
    return TControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TEdit -------------------------------------------------------------------------------
TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  auto* e = new QLineEdit;
  SetBounds(0, 0, 121, 21);
  AttachWidget(Native(e));
  SetTabStop(true);
  QObject::connect(e, &QLineEdit::textEdited, [this, e](const QString& Now) {
    // MaxLength limits typing and pasting only: refuse a user edit that makes a text longer
    // than the limit (a longer text set by code may still be shortened).
    if (FMaxLength > 0 && Now.size() > FMaxLength && Now.size() > QStr(FLastText).size()) {
      Silently(e, [&] { e->setText(QStr(FLastText)); });
      return;
    }
    FLastText = FromQStr(Now);
    GuardedCall([this] { Change(); });
  });
}

String TEdit::GetText() const { return FromQStr(static_cast<QLineEdit*>(Handle())->text()); }

void TEdit::SetTextValue(const String& Value) {
  auto* e = static_cast<QLineEdit*>(Handle());
  if (FromQStr(e->text()) == Value) return;
  Silently(e, [&] { e->setText(QStr(Value)); });
  FLastText = Value;
  if (!IsLoading()) Change();
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  static_cast<QLineEdit*>(Handle())->setReadOnly(Value);
}

void TEdit::SetMaxLength(int Value) { FMaxLength = std::max(0, Value); }

namespace {
// A numbers-only edit takes the digits 0 to 9 and nothing else. The check a regular expression
// "[0-9]*" over the whole text would make, without compiling one for every edit: a text of
// digits (or none) is acceptable, any other is refused with the position at its end.
class TDigitsValidator : public QValidator {
public:
  explicit TDigitsValidator(QObject* Parent) : QValidator(Parent) {}
  State validate(QString& Input, int& Pos) const override {
    for (QChar c : Input)
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
        Pos = static_cast<int>(Input.size());
        return Invalid;
      }
    return Acceptable;
  }
};
}  // namespace

void TEdit::SetNumbersOnly(bool Value) {
  FNumbersOnly = Value;
  auto* e = static_cast<QLineEdit*>(Handle());
  if (Value)
    e->setValidator(new TDigitsValidator(e));
  else
    e->setValidator(nullptr);
}

void TEdit::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  static_cast<QLineEdit*>(Handle())->setAlignment(QtAlignment(Value));
}

void TEdit::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  static_cast<QLineEdit*>(Handle())->setFrame(Value != bsNone);
}

void TEdit::SelectAll() { static_cast<QLineEdit*>(Handle())->selectAll(); }

bool TEdit::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "ReadOnly")
    SetReadOnly(Value.AsBoolean());
  else if (Prop == "MaxLength")
    SetMaxLength(static_cast<int>(Value.AsInteger()));
  else if (Prop == "NumbersOnly")
    SetNumbersOnly(Value.AsBoolean());
  else if (Prop == "Alignment")
    SetAlignment(static_cast<TAlignment>(DescribedEnum(Value, {{"taLeftJustify", taLeftJustify},
                                                               {"taRightJustify", taRightJustify},
                                                               {"taCenter", taCenter}})));
  else if (Prop == "BorderStyle")
    SetBorderStyle(static_cast<TFormBorderStyle>(
        DescribedEnum(Value, {{"bsNone", bsNone}, {"bsSingle", bsSingle}})));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TEdit::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnChange") {
    OnChange = FindEventHandler<void(TObject*)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}

// ---- TMemo -------------------------------------------------------------------------------
TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner) {
  auto* m = new QPlainTextEdit;
  SetBounds(0, 0, 185, 89);
  AttachWidget(Native(m));
  SetTabStop(true);
  FLines = std::make_unique<TMemoStrings>(m);
  FWantsKeyPress = true;
  QObject::connect(m, &QPlainTextEdit::textChanged, [this] {
    GuardedCall([this] {
      if (OnChange) OnChange(this);
    });
  });
}

TMemo::~TMemo() = default;

String TMemo::GetText() const {
  return FromQStr(static_cast<QPlainTextEdit*>(Handle())->toPlainText());
}

void TMemo::SetTextValue(const String& Value) {
  auto* m = static_cast<QPlainTextEdit*>(Handle());
  if (FromQStr(m->toPlainText()) == Value) return;
  Silently(m, [&] { m->setPlainText(QStr(Value)); });
  if (!IsLoading() && OnChange) OnChange(this);
}

void TMemo::SetReadOnly(bool Value) {
  FReadOnly = Value;
  static_cast<QPlainTextEdit*>(Handle())->setReadOnly(Value);
}

void TMemo::SetWordWrap(bool Value) {
  FWordWrap = Value;
  static_cast<QPlainTextEdit*>(Handle())->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth
                                                                : QPlainTextEdit::NoWrap);
}

bool TMemo::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Lines.Strings")
    SetDescribedStrings(FLines.get(), Value);
  else if (Prop == "ReadOnly")
    SetReadOnly(Value.AsBoolean());
  else if (Prop == "WordWrap")
    SetWordWrap(Value.AsBoolean());
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TMemo::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnChange") {
    OnChange = FindEventHandler<void(TObject*)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}

// ---- TButton -----------------------------------------------------------------------------
TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  auto* b = new QPushButton;
  b->setAutoDefault(false);
  SetBounds(0, 0, 75, 25);
  AttachWidget(Native(b));
  SetTabStop(true);
  QObject::connect(b, &QPushButton::clicked, [this] { GuardedCall([this] { Click(); }); });
}

String TButton::GetText() const { return FromQStr(static_cast<QPushButton*>(Handle())->text()); }

void TButton::SetTextValue(const String& Value) {
  static_cast<QPushButton*>(Handle())->setText(QStr(Value));
}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  static_cast<QPushButton*>(Handle())->setDefault(Value);
}

void TButton::Click() {
  TWinControl::Click();
  if (ModalResult != mrNone) {
    for (TWinControl* p = Parent(); p != nullptr; p = p->Parent())
      if (auto* f = dynamic_cast<TForm*>(p)) {
        f->SetModalResult(ModalResult);
        break;
      }
  }
}

bool TButton::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Default")
    SetDefault(Value.AsBoolean());
  else if (Prop == "Cancel")
    SetCancel(Value.AsBoolean());
  else if (Prop == "ModalResult")
    ModalResult = DescribedEnum(Value, {{"mrNone", mrNone},
                                        {"mrOk", mrOk},
                                        {"mrCancel", mrCancel},
                                        {"mrAbort", mrAbort},
                                        {"mrRetry", mrRetry},
                                        {"mrIgnore", mrIgnore},
                                        {"mrYes", mrYes},
                                        {"mrNo", mrNo}});
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TRadioButton ------------------------------------------------------------------------
namespace {
// Radio buttons form a group with the other radio buttons of the same parent control only
// (Qt's own grouping would take in those of nested panels too), and a click on the checked
// button leaves it checked.
class TRadioWidget : public QRadioButton {
protected:
  void nextCheckState() override {
    if (!isChecked()) setChecked(true);
  }
};
}  // namespace

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  auto* r = new TRadioWidget;
  r->setAutoExclusive(false);
  SetBounds(0, 0, 113, 17);
  AttachWidget(Native(r));
  SetTabStop(true);
  // Code changes run with this button's signals blocked, so a toggle here is the user's.
  QObject::connect(r, &QRadioButton::toggled, [this](bool On) {
    if (!On) return;
    UncheckSiblings();
    GuardedCall([this] { Click(); });
  });
}

void TRadioButton::UncheckSiblings() {
  if (Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
        other != nullptr && other != this)
      other->SetChecked(false);
}

bool TRadioButton::Checked() const { return static_cast<QRadioButton*>(Handle())->isChecked(); }

void TRadioButton::SetChecked(bool Value) {
  auto* r = static_cast<QRadioButton*>(Handle());
  if (r->isChecked() == Value) return;
  Silently(r, [&] { r->setChecked(Value); });
  if (Value) {
    UncheckSiblings();
    if (!IsLoading()) Click();
  }
}

String TRadioButton::GetText() const {
  return FromQStr(static_cast<QRadioButton*>(Handle())->text());
}

void TRadioButton::SetTextValue(const String& Value) {
  static_cast<QRadioButton*>(Handle())->setText(QStr(Value));
}

bool TRadioButton::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Checked") {
    SetChecked(Value.AsBoolean());
    return true;
  }
  return TWinControl::SetDescribedProperty(Prop, Value);
}

// ---- TCheckBox ---------------------------------------------------------------------------
TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* c = new QCheckBox;
  SetBounds(0, 0, 97, 17);
  AttachWidget(Native(c));
  SetTabStop(true);
  QObject::connect(c, &QCheckBox::toggled, [this](bool) { GuardedCall([this] { Click(); }); });
}

bool TCheckBox::Checked() const { return static_cast<QCheckBox*>(Handle())->isChecked(); }

void TCheckBox::SetChecked(bool Value) {
  auto* c = static_cast<QCheckBox*>(Handle());
  if (c->isChecked() == Value) return;
  Silently(c, [&] { c->setChecked(Value); });
  if (!IsLoading()) Click();
}

String TCheckBox::GetText() const { return FromQStr(static_cast<QCheckBox*>(Handle())->text()); }

void TCheckBox::SetTextValue(const String& Value) {
  static_cast<QCheckBox*>(Handle())->setText(QStr(Value));
}

bool TCheckBox::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Checked") {
    SetChecked(Value.AsBoolean());
    return true;
  }
  return TWinControl::SetDescribedProperty(Prop, Value);
}

// ---- TListBox ----------------------------------------------------------------------------
namespace {

// Entering a list that has no current item leaves it without one: the item view would make
// the first item current, which a list box's owner takes for the user's choice of it.
class TListWidget : public QListWidget {
protected:
  void focusInEvent(QFocusEvent* E) override {
    if (currentRow() >= 0 || count() == 0) {
      QListWidget::focusInEvent(E);
      return;
    }
    Silently(this, [&] {
      QListWidget::focusInEvent(E);
      clearSelection();
      setCurrentRow(-1);
    });
  }
};

}  // namespace

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* l = new TListWidget;
  l->setSelectionMode(QAbstractItemView::SingleSelection);
  l->setUniformItemSizes(true);
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  FColorSet = false;
  AttachWidget(Native(l));
  SetTabStop(true);
  FItems = std::make_unique<TListBoxStrings>(l);
  WatchChild(Native(l->viewport()));
  l->viewport()->installEventFilter(new TLambdaFilter(l, [this, l](QObject*, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress) FRowAtPress = l->currentRow();
    return false;
  }));
  // A user's move to another item (mouse or keyboard)...
  QObject::connect(l, &QListWidget::currentRowChanged,
                   [this](int) { GuardedCall([this] { Click(); }); });
  // ...and a click on the item already selected.
  QObject::connect(l, &QListWidget::clicked, [this](const QModelIndex& I) {
    if (I.row() == FRowAtPress) GuardedCall([this] { Click(); });
    FRowAtPress = -2;
  });
}

TListBox::~TListBox() = default;

int TListBox::ItemIndex() const { return static_cast<QListWidget*>(Handle())->currentRow(); }

void TListBox::SetItemIndex(int Value) {
  auto* l = static_cast<QListWidget*>(Handle());
  if (Value < -1 || Value >= l->count())
    throw EListError("List index out of bounds (" + IntToStr(Value) + ")");
  Silently(l, [&] {
    if (Value < 0) {
      l->clearSelection();
      l->setCurrentRow(-1);
    } else {
      l->setCurrentRow(Value);
    }
  });
}

int TListBox::TopIndex() const {
  auto* l = static_cast<QListWidget*>(Handle());
  const QModelIndex i = l->indexAt(QPoint(1, 1));
  return i.isValid() ? i.row() : 0;
}

void TListBox::SetTopIndex(int Value) {
  auto* l = static_cast<QListWidget*>(Handle());
  if (Value >= 0 && Value < l->count())
    l->scrollToItem(l->item(Value), QAbstractItemView::PositionAtTop);
}

bool TListBox::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Items.Strings")
    SetDescribedStrings(FItems.get(), Value);
  else if (Prop == "ItemIndex")
    SetItemIndex(static_cast<int>(Value.AsInteger()));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TComboBox ---------------------------------------------------------------------------
TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* c = new QComboBox;
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  SetBounds(0, 0, 145, 21);
  AttachWidget(Native(c));
  SetTabStop(true);
  FItems = std::make_unique<TComboBoxStrings>(c);
  QObject::connect(c, &QComboBox::activated, [this](int) {
    GuardedCall([this] {
      if (OnChange) OnChange(this);
      if (OnSelect) OnSelect(this);
    });
  });
  if (c->lineEdit() != nullptr)
    QObject::connect(c->lineEdit(), &QLineEdit::textEdited, [this](const QString&) {
      GuardedCall([this] {
        if (OnChange) OnChange(this);
      });
    });
}

TComboBox::~TComboBox() = default;

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  auto* c = static_cast<QComboBox*>(Handle());
  if (c->isEditable() == (Value != csDropDownList)) return;
  const int idx = c->currentIndex();
  Silently(c, [&] {
    c->setEditable(Value != csDropDownList);
    if (c->isEditable()) c->setInsertPolicy(QComboBox::NoInsert);
    c->setCurrentIndex(idx);
  });
  if (c->lineEdit() != nullptr)
    QObject::connect(c->lineEdit(), &QLineEdit::textEdited, [this](const QString&) {
      GuardedCall([this] {
        if (OnChange) OnChange(this);
      });
    });
}

int TComboBox::ItemIndex() const { return static_cast<QComboBox*>(Handle())->currentIndex(); }

void TComboBox::SetItemIndex(int Value) {
  auto* c = static_cast<QComboBox*>(Handle());
  if (Value < -1 || Value >= c->count())
    throw EListError("List index out of bounds (" + IntToStr(Value) + ")");
  Silently(c, [&] { c->setCurrentIndex(Value); });
}

void TComboBox::Clear() {
  FItems->Clear();
  SetText("");
}

String TComboBox::GetText() const {
  auto* c = static_cast<QComboBox*>(Handle());
  if (c->isEditable()) return FromQStr(c->currentText());
  if (c->currentIndex() < 0) return FromQStr(c->placeholderText());
  return FromQStr(c->currentText());
}

void TComboBox::SetTextValue(const String& Value) {
  auto* c = static_cast<QComboBox*>(Handle());
  Silently(c, [&] {
    if (c->isEditable()) {
      c->setEditText(QStr(Value));
      return;
    }
    const int i = c->findText(QStr(Value), Qt::MatchExactly);
    c->setCurrentIndex(i);
    c->setPlaceholderText(i < 0 ? QStr(Value) : QString());
  });
}

bool TComboBox::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Items.Strings")
    SetDescribedStrings(FItems.get(), Value);
  else if (Prop == "ItemIndex")
    SetItemIndex(static_cast<int>(Value.AsInteger()));
  else if (Prop == "DropDownCount")
    DropDownCount = static_cast<int>(Value.AsInteger());
  else if (Prop == "Style")
    SetStyle(static_cast<TComboBoxStyle>(DescribedEnum(
        Value,
        {{"csDropDown", csDropDown}, {"csSimple", csSimple}, {"csDropDownList", csDropDownList}})));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TComboBox::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnChange")
    OnChange = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnSelect")
    OnSelect = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else
    return TWinControl::SetDescribedEvent(Event, Handler, Root);
  return true;
}

// ---- TGroupBox ---------------------------------------------------------------------------
TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* g = new QGroupBox;
  SetBounds(0, 0, 185, 105);
  AttachWidget(Native(g));
}

String TGroupBox::GetText() const { return FromQStr(static_cast<QGroupBox*>(Handle())->title()); }

void TGroupBox::SetTextValue(const String& Value) {
  static_cast<QGroupBox*>(Handle())->setTitle(QStr(Value));
}
