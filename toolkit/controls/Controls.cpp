// The control classes: TControl, TWinControl and TCustomControl; the exception router that
// every event handler call goes through. Their events come in through ControlEvents.cpp, the
// described values through DescribedValues.cpp.

#include "Controls.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPainter>
#include <QShowEvent>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "ControlsQt.h"
#include "Forms.h"
#include "GraphicsQt.h"
#include "SysUtils.h"

// ---- exception routing -------------------------------------------------------------------
void RouteEventException(std::exception_ptr E) {
  if (Application != nullptr) Application->HandleException(E);
}

void GuardedCall(const std::function<void()>& Code) {
  try {
    Code();
  } catch (...) {
    RouteEventException(std::current_exception());
  }
}

String THandlerTable::Key(const String& Name) { return LowerCase(Name); }

// ---- TControl ----------------------------------------------------------------------------
TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FColor(clBtnFace) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  // Owned components first, while our widget still exists (their widgets may live in it).
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  SetParent(nullptr);
  // The widget's own destruction (losing focus, clearing its items) must reach no handler of
  // a control that is already half gone.
  delete FFilter;
  FFilter = nullptr;
  if (Widget(FWidget) != nullptr) {
    QWidget* w = Widget(FWidget);
    FWidget = nullptr;
    w->blockSignals(true);
    delete w;
  }
}

void TControl::AttachWidget(TNativeWidget* N) {
  QWidget* W = Widget(N);
  FWidget = N;
  QObject::connect(W, &QObject::destroyed, [this] { FWidget = nullptr; });
  FFilter = new TControlEventFilter(this);
  FFilter->Watch(W);
  if (FWidth == 0 && FHeight == 0) {
    FWidth = W->width();
    FHeight = W->height();
  }
  if (!IsWindowControl()) W->hide();
  ApplyGeometry();
}

void TControl::WatchChild(TNativeWidget* W) {
  if (FFilter != nullptr) FFilter->Watch(Widget(W));
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  for (TWinControl* p = AParent; p != nullptr; p = p->Parent())
    if (p == this) throw EComponentError("A control cannot be its own parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  FParent = AParent;
  if (FParent != nullptr) FParent->InsertControl(this);
  if (Widget(FWidget) != nullptr && !IsWindowControl()) {
    Widget(FWidget)->setParent(FParent != nullptr ? Widget(FParent->ClientHandle()) : nullptr);
    ApplyGeometry();
    ApplyVisibility();
    ApplyFontAndColor();
  } else if (Widget(FWidget) != nullptr && FParent == nullptr) {
    ApplyVisibility();
  }
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  const bool sized = AWidth != FWidth || AHeight != FHeight;
  if (!sized && ALeft == FLeft && ATop == FTop) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  ApplyGeometry();
  if (sized) {
    if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->Realign();
    if (FAlign != alNone && FParent != nullptr) FParent->Realign();
    if (!IsLoading()) Resize();
  }
}

void TControl::ApplyGeometry() {
  if (Widget(FWidget) == nullptr) return;
  if (IsWindowControl()) {
    // A window's Left and Top place its client area, as they read back: Qt's frame
    // position is not known before the window manager has framed the window.
    Widget(FWidget)->setGeometry(FLeft, FTop, FWidth, FHeight);
  } else {
    Widget(FWidget)->setGeometry(FLeft, FTop, FWidth, FHeight);
  }
}

void TControl::SetAlign(TAlign Value) {
  FAlign = Value;
  if (FParent != nullptr) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  FVisible = Value;
  ApplyVisibility();
}

void TControl::ApplyVisibility() {
  if (Widget(FWidget) == nullptr) return;
  if (FParent == nullptr && !IsWindowControl()) {
    Widget(FWidget)->hide();
    return;
  }
  Widget(FWidget)->setVisible(FVisible);
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  if (FParent == nullptr) return Handle() != nullptr && IsWindowControl() && Handle()->isVisible();
  return FParent->Showing();
}

void TControl::SetEnabled(bool Value) {
  FEnabled = Value;
  if (Widget(FWidget) != nullptr) Widget(FWidget)->setEnabled(Value);
}

void TControl::SetHint(const String& Value) {
  FHint = Value;
  if (Widget(FWidget) != nullptr) Widget(FWidget)->setToolTip(FShowHint ? QStr(Value) : QString());
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  SetHint(FHint);
}

void TControl::FontChanged() {
  FFontSet = true;
  FParentFont = false;
  ApplyFontAndColor();
}

void TControl::SetColor(TColor Value) {
  FColor = Value;
  FColorSet = true;
  FParentColor = false;
  ApplyFontAndColor();
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value && FParent != nullptr) {
    FFont->Assign(FParent->Font());
    FParentFont = true;
  }
}

void TControl::SetParentColor(bool Value) {
  FParentColor = Value;
  if (Value && FParent != nullptr) {
    FColor = FParent->Color();
    FColorSet = false;
    ApplyFontAndColor();
  }
}

// A control whose widget only hosts its real face, made later inside it (a grid's table views),
// names that inner widget as the host's focus proxy; font, colour and tab stop apply to it as
// well, and its focus and keys are the control's own (ControlEvents.cpp).
static QWidget* InnerWidget(QWidget* W) {
  return W != nullptr ? W->focusProxy() : nullptr;
}

void TControl::ApplyFontAndColor() {
  if (Widget(FWidget) == nullptr) return;
  ApplyFontAndColorTo(FWidget);
  if (QWidget* inner = InnerWidget(Widget(FWidget))) ApplyFontAndColorTo(Native(inner));
}

// A display-only field's palette: Now with the disabled text in the normal text colour. The
// fields of a window that sets no colours all start from the window's own palette (one shared
// copy), so the palette made for one is kept for the next.
static QPalette FieldPalette(const QPalette& Now) {
  static std::optional<std::pair<QPalette, QPalette>> last;  // made from, made
  if (!last || !Now.isCopyOf(last->first)) {
    QPalette made = Now;
    made.setColor(QPalette::Disabled, QPalette::Text, made.color(QPalette::Active, QPalette::Text));
    last.emplace(Now, made);
  }
  return last->second;
}

// The font, then one palette with every colour the control sets. The roles set here are the
// widget's own from then on; the others keep following its parent. A palette that already holds
// exactly these colours, set as its own, is not set again: Qt would end with the same palette,
// after resolving it against the parent's and sending change events for nothing.
void TControl::ApplyFontAndColorTo(TNativeWidget* N) {
  QWidget* W = Widget(N);
  if (FFontSet) W->setFont(WidgetFont(*FFont));
  // A disabled edit is a display-only field (results, the selected item's figures): it takes
  // no input and no focus, but its text is read, so it keeps the normal text colour.
  const bool field = qobject_cast<QLineEdit*>(W) != nullptr ||
                     qobject_cast<QAbstractScrollArea*>(W) != nullptr ||
                     qobject_cast<QAbstractSpinBox*>(W) != nullptr;
  const bool filled = FColorSet && FColor != clNone && FColor != clDefault;
  if (!FFontSet && !field && !filled) return;
  const QPalette& now = W->palette();
  const bool fieldOnly = !FFontSet && !filled;
  QPalette pal = fieldOnly ? FieldPalette(now) : now;
  if (!fieldOnly) {
    if (FFontSet) {
      const QColor fc = ToQColor(FFont->Color());
      // The disabled group keeps its own (grey) colours, so a disabled button still looks so.
      for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::WindowText, fc);
        pal.setColor(g, QPalette::Text, fc);
        pal.setColor(g, QPalette::ButtonText, fc);
      }
    }
    if (field)
      pal.setColor(QPalette::Disabled, QPalette::Text, pal.color(QPalette::Active, QPalette::Text));
    if (filled) {
      const QColor c = ToQColor(FColor);
      pal.setColor(QPalette::Window, c);
      pal.setColor(QPalette::Base, c);
      pal.setColor(QPalette::Button, c);
    }
  }
  if (pal.resolveMask() != now.resolveMask() || pal != now) W->setPalette(pal);
  if (filled) W->setAutoFillBackground(true);
}

void TControl::Repaint() {
  if (Widget(FWidget) != nullptr && Widget(FWidget)->isVisible()) Widget(FWidget)->repaint();
}

void TControl::Invalidate() {
  if (Widget(FWidget) != nullptr) Widget(FWidget)->update();
}

void TControl::Update() {
  if (Widget(FWidget) != nullptr && Widget(FWidget)->isVisible()) Widget(FWidget)->repaint();
}

void TControl::BringToFront() {
  if (Widget(FWidget) != nullptr) Widget(FWidget)->raise();
}

void TControl::SendToBack() {
  if (Widget(FWidget) != nullptr) Widget(FWidget)->lower();
}

TPoint TControl::ScreenToClient(const TPoint& P) const {
  if (Widget(FWidget) == nullptr) return P;
  const QPoint q = Widget(FWidget)->mapFromGlobal(QPoint(P.X, P.Y));
  return Point(q.x(), q.y());
}

TPoint TControl::ClientToScreen(const TPoint& P) const {
  if (Widget(FWidget) == nullptr) return P;
  const QPoint q = Widget(FWidget)->mapToGlobal(QPoint(P.X, P.Y));
  return Point(q.x(), q.y());
}

static int ScaleInt(int V, int M, int D) {
  return D == 0 ? V
                : static_cast<int>((static_cast<long long>(V) * M + (V >= 0 ? D / 2 : -D / 2)) / D);
}

void TControl::ScaleBy(int M, int D) {
  if (D == 0 || M == D) return;
  const int size = FFont->Size();
  // A window's font scales even when it was never set: the controls that take their
  // parent's font show it, so the text grows with the window.
  if (FFontSet || IsWindowControl()) FFont->SetSize(ScaleInt(size, M, D));
  SetBounds(ScaleInt(FLeft, M, D), ScaleInt(FTop, M, D), ScaleInt(FWidth, M, D),
            ScaleInt(FHeight, M, D));
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
bool TControl::MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}
void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}
void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  ApplyGeometry();
}

bool TControl::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Left")
    SetLeft(static_cast<int>(Value.AsInteger()));
  else if (Prop == "Top")
    SetTop(static_cast<int>(Value.AsInteger()));
  else if (Prop == "Width")
    SetWidth(static_cast<int>(Value.AsInteger()));
  else if (Prop == "Height")
    SetHeight(static_cast<int>(Value.AsInteger()));
  else if (Prop == "ClientWidth")
    SetClientWidth(static_cast<int>(Value.AsInteger()));
  else if (Prop == "ClientHeight")
    SetClientHeight(static_cast<int>(Value.AsInteger()));
  else if (Prop == "Visible")
    SetVisible(Value.AsBoolean());
  else if (Prop == "Enabled")
    SetEnabled(Value.AsBoolean());
  else if (Prop == "Caption" || Prop == "Text")
    SetText(Value.AsString());
  else if (Prop == "Hint")
    SetHint(Value.AsString());
  else if (Prop == "ShowHint")
    SetShowHint(Value.AsBoolean());
  else if (Prop == "Color")
    SetColor(DescribedColor(Value));
  else if (Prop == "ParentFont")
    SetParentFont(Value.AsBoolean());
  else if (Prop == "ParentColor")
    SetParentColor(Value.AsBoolean());
  else if (Prop == "Align")
    SetAlign(static_cast<TAlign>(DescribedEnum(Value, {{"alNone", alNone},
                                                       {"alTop", alTop},
                                                       {"alBottom", alBottom},
                                                       {"alLeft", alLeft},
                                                       {"alRight", alRight},
                                                       {"alClient", alClient}})));
  else if (Prop.rfind("Font.", 0) == 0)
    return SetDescribedFont(FFont.get(), Prop.substr(5), Value);
  else
    return TComponent::SetDescribedProperty(Prop, Value);
  return true;
}

bool TControl::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnClick")
    OnClick = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnDblClick")
    OnDblClick = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnResize")
    OnResize = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnMouseDown")
    OnMouseDown =
        FindEventHandler<void(TObject*, TMouseButton, TShiftState, int, int)>(Root, Handler, Event);
  else if (Event == "OnMouseUp")
    OnMouseUp =
        FindEventHandler<void(TObject*, TMouseButton, TShiftState, int, int)>(Root, Handler, Event);
  else if (Event == "OnMouseMove")
    OnMouseMove = FindEventHandler<void(TObject*, TShiftState, int, int)>(Root, Handler, Event);
  else if (Event == "OnMouseWheel")
    OnMouseWheel =
        FindEventHandler<void(TObject*, TShiftState, int, TPoint, bool&)>(Root, Handler, Event);
  else if (Event == "OnMouseEnter")
    OnMouseEnter = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnMouseLeave")
    OnMouseLeave = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else
    return TComponent::SetDescribedEvent(Event, Handler, Root);
  return true;
}

// ---- TWinControl -------------------------------------------------------------------------
TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  // Child controls owned elsewhere leave us before our widget (and theirs inside it) goes.
  while (!FControls.empty()) FControls.back()->SetParent(nullptr);
}

void TWinControl::InsertControl(TControl* C) { FControls.push_back(C); }

void TWinControl::RemoveControl(TControl* C) {
  auto it = std::find(FControls.begin(), FControls.end(), C);
  if (it != FControls.end()) FControls.erase(it);
}

bool TWinControl::Focused() const { return Handle() != nullptr && Handle()->hasFocus(); }

bool TWinControl::CanFocus() const { return Handle() != nullptr && Showing() && Enabled(); }

void TWinControl::SetFocus() {
  if (Handle() == nullptr) return;
  if (Handle()->window() != nullptr) Handle()->window()->activateWindow();
  Handle()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool Value) {
  FTabStop = Value;
  if (Handle() == nullptr) return;
  Handle()->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
  if (QWidget* inner = InnerWidget(Handle()))
    inner->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::SetColor(TColor Value) { TControl::SetColor(Value); }

void TWinControl::ScaleBy(int M, int D) {
  if (D == 0 || M == D) return;
  std::vector<TControl*> kids = FControls;
  TControl::ScaleBy(M, D);
  for (TControl* c : kids) c->ScaleBy(M, D);
}

void TWinControl::Realign() {
  int left = 0, top = 0, right = ClientWidth(), bottom = ClientHeight();
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : FControls) {
      if (c->Align() != pass || !c->Visible()) continue;
      switch (pass) {
        case alTop:
          c->SetBounds(left, top, right - left, c->Height());
          top += c->Height();
          break;
        case alBottom:
          bottom -= c->Height();
          c->SetBounds(left, bottom, right - left, c->Height());
          break;
        case alLeft:
          c->SetBounds(left, top, c->Width(), bottom - top);
          left += c->Width();
          break;
        case alRight:
          right -= c->Width();
          c->SetBounds(right, top, c->Width(), bottom - top);
          break;
        case alClient: c->SetBounds(left, top, right - left, bottom - top); break;
        default: break;
      }
    }
  }
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "TabOrder")
    SetTabOrder(static_cast<int>(Value.AsInteger()));
  else if (Prop == "TabStop")
    SetTabStop(Value.AsBoolean());
  else
    return TControl::SetDescribedProperty(Prop, Value);
  return true;
}

bool TWinControl::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnEnter")
    OnEnter = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnExit")
    OnExit = FindEventHandler<void(TObject*)>(Root, Handler, Event);
  else if (Event == "OnKeyPress")
    OnKeyPress = FindEventHandler<void(TObject*, wchar_t&)>(Root, Handler, Event);
  else if (Event == "OnKeyDown")
    OnKeyDown = FindEventHandler<void(TObject*, Word&, TShiftState)>(Root, Handler, Event);
  else if (Event == "OnKeyUp")
    OnKeyUp = FindEventHandler<void(TObject*, Word&, TShiftState)>(Root, Handler, Event);
  else
    return TControl::SetDescribedEvent(Event, Handler, Root);
  return true;
}

// ---- TCustomControl ----------------------------------------------------------------------
// The image is made when it is first needed: painted, drawn on or read. Until then it is kept
// as the fills it would have received: each resize of a real image fills the new one with the
// control's colour and copies the old one into its top-left corner, so the pixels are nested
// rectangles, oldest (smallest) on top. Each fill is clipped to every size after it.
struct TCustomControl::ImageData {
  struct TFill {
    int Width, Height;
    TColor Color;
  };
  QImage image;
  bool deferred = false;
  std::vector<TFill> fills;
};

namespace {
// Copies the control's image to the screen; paints it first when a repaint is pending.
class TCustomControlWidget : public QWidget {
public:
  explicit TCustomControlWidget(TCustomControl* Owner, QImage* Image)
      : FOwner(Owner), FImage(Image) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
  }

protected:
  void showEvent(QShowEvent* E) override {
    FOwner->HandleNeeded();
    QWidget::showEvent(E);
  }
  void paintEvent(QPaintEvent*) override {
    FOwner->ImageNeeded();
    FOwner->PaintIfPending();
    QPainter p(this);
    p.drawImage(0, 0, *FImage);
  }

private:
  TCustomControl* FOwner;
  QImage* FImage;
};
}  // namespace

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner),
      FImage(std::make_unique<ImageData>()),
      FCanvas(std::make_unique<TCanvas>()) {
  FImage->deferred = true;
  SetBounds(0, 0, 100, 100);
  ResizeImage(100, 100);
  AttachWidget(Native(new TCustomControlWidget(this, &FImage->image)));
  FCanvas->OnChange = [this](TObject*) {
    if (Handle() != nullptr) Handle()->update();
  };
}

TCustomControl::TCustomControl(TComponent* AOwner, TNoWidget)
    : TWinControl(AOwner),
      FImage(std::make_unique<ImageData>()),
      FCanvas(std::make_unique<TCanvas>()) {
  // Helpers that draw on another control's canvas never touch their own: no pixels until then.
  FLazyImage = true;
  SetBounds(0, 0, 100, 100);
}

TCanvas* TCustomControl::Canvas() const {
  auto* self = const_cast<TCustomControl*>(this);
  if (FLazyImage && FImage->image.isNull()) {
    self->FLazyImage = false;
    self->ResizeImage(Width(), Height());
  }
  self->ImageNeeded();
  return FCanvas.get();
}

void TCustomControl::ImageNeeded() {
  ImageData& d = *FImage;
  if (!d.deferred) return;
  d.deferred = false;
  if (d.fills.empty()) return;
  const ImageData::TFill& whole = d.fills.back();
  QImage img(whole.Width, whole.Height, QImage::Format_RGB32);
  for (auto f = d.fills.rbegin(); f != d.fills.rend(); ++f) {
    const QRgb pixel = ToQColor(f->Color).rgb();
    for (int y = 0; y < f->Height; ++y) {
      auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
      std::fill(row, row + f->Width, pixel);
    }
  }
  d.fills = {};
  d.image = std::move(img);
  SetCanvasImage(FCanvas.get(), &d.image);
}

void TCustomControl::HandleNeeded() {
  if (FWndCreated) return;
  FWndCreated = true;
  CreateWnd();
}

TCustomControl::~TCustomControl() {
  FCanvas->OnChange = nullptr;
  SetCanvasImage(FCanvas.get(), nullptr);
}

void TCustomControl::ResizeImage(int AWidth, int AHeight) {
  if (FLazyImage) return;
  AWidth = std::max(AWidth, 1);
  AHeight = std::max(AHeight, 1);
  if (FImage->deferred) {
    std::vector<ImageData::TFill>& fills = FImage->fills;
    if (!fills.empty() && fills.back().Width == AWidth && fills.back().Height == AHeight) return;
    for (ImageData::TFill& f : fills) {
      f.Width = std::min(f.Width, AWidth);
      f.Height = std::min(f.Height, AHeight);
    }
    // A fill of the same colour under the new one adds nothing the new one does not cover.
    if (!fills.empty() && fills.back().Color == Color()) fills.pop_back();
    fills.push_back({AWidth, AHeight, Color()});
    return;
  }
  QImage& img = FImage->image;
  if (img.width() == AWidth && img.height() == AHeight) return;
  QImage next(AWidth, AHeight, QImage::Format_RGB32);
  next.fill(ToQColor(Color()));
  if (!img.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, img);
  }
  img = std::move(next);
  SetCanvasImage(FCanvas.get(), &img);
}

void TCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  ResizeImage(AWidth, AHeight);
  const bool sized = AWidth != Width() || AHeight != Height();
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (sized && !IsLoading()) Invalidate();
}

void TCustomControl::Paint() {
  if (OnPaint) {
    OnPaint(this);
    return;
  }
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(Rect(0, 0, Width(), Height()));
}

void TCustomControl::PaintIfPending() {
  if (!FPending) return;
  FPending = false;
  // A Paint that shows its image when done (the chart does) must not repaint the widget from
  // within its paint event: Qt refuses the recursion and the event's own painter then draws
  // nothing, leaving the control blank.
  FInPaintEvent = true;
  GuardedCall([this] { Paint(); });
  FInPaintEvent = false;
}

void TCustomControl::Repaint() {
  FPending = false;
  Paint();
  ShowImage();
}

void TCustomControl::Invalidate() {
  FPending = true;
  if (Handle() != nullptr) Handle()->update();
}

void TCustomControl::ShowImage() {
  if (FInPaintEvent) return;
  if (Handle() != nullptr && Handle()->isVisible()) Handle()->repaint();
}

bool TCustomControl::SetDescribedEvent(const String& Event, const String& Handler,
                                       TComponent* Root) {
  if (Event == "OnPaint") {
    OnPaint = FindEventHandler<void(TObject*)>(Root, Handler, Event);
    return true;
  }
  return TWinControl::SetDescribedEvent(Event, Handler, Root);
}

TPaintBox::TPaintBox(TComponent* AOwner) : TCustomControl(AOwner) {}
