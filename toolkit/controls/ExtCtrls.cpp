#include "ExtCtrls.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "ControlsQt.h"
#include "GraphicsQt.h"

// ---- TPanel ------------------------------------------------------------------------------
namespace {
class TPanelWidget : public QFrame {
public:
  QString Caption;
  Qt::Alignment Align = Qt::AlignCenter;

protected:
  void paintEvent(QPaintEvent* E) override {
    QFrame::paintEvent(E);
    if (Caption.isEmpty()) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), static_cast<int>(Align), Caption);
  }
};

// Draws a bevel: a box, a frame or one line, lowered (dark then light) or raised.
class TBevelWidget : public QWidget {
public:
  TBevelShape Shape = bsBox;
  TBevelStyle Style = bsLowered;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QColor dark = ToQColor(clBtnShadow), light = ToQColor(clBtnHighlight);
    const QColor first = Style == bsLowered ? dark : light,
                 second = Style == bsLowered ? light : dark;
    const int w = width(), h = height();
    auto hline = [&](int y, const QColor& c) {
      p.setPen(c);
      p.drawLine(0, y, w - 1, y);
    };
    auto vline = [&](int x, const QColor& c) {
      p.setPen(c);
      p.drawLine(x, 0, x, h - 1);
    };
    switch (Shape) {
      case bsBox:
        p.setPen(first);
        p.drawLine(0, 0, w - 1, 0);
        p.drawLine(0, 0, 0, h - 1);
        p.setPen(second);
        p.drawLine(w - 1, 0, w - 1, h - 1);
        p.drawLine(0, h - 1, w - 1, h - 1);
        break;
      case bsFrame:
        p.setPen(first);
        p.drawRect(0, 0, w - 2, h - 2);
        p.setPen(second);
        p.drawRect(1, 1, w - 2, h - 2);
        break;
      case bsTopLine:
        hline(0, first);
        hline(1, second);
        break;
      case bsBottomLine:
        hline(h - 2, first);
        hline(h - 1, second);
        break;
      case bsLeftLine:
        vline(0, first);
        vline(1, second);
        break;
      case bsRightLine:
        vline(w - 2, first);
        vline(w - 1, second);
        break;
      case bsSpacer: break;
    }
  }
};

// Shows a picture as the image control lays it out.
class TImageWidget : public QWidget {
public:
  explicit TImageWidget(TImage* Owner) : FOwner(Owner) {
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
  }
  // The picture changed: what is drawn is made again at the next paint, so a picture that is
  // never shown is never decoded nor copied.
  void PictureChanged() {
    FShown = QImage();
    FStale = true;
    update();
  }

protected:
  void paintEvent(QPaintEvent*) override {
    if (FStale) {
      FStale = false;
      FShown = ShownImage();
    }
    const QImage& Shown = FShown;
    if (Shown.isNull()) return;
    QPainter p(this);
    const int cw = width(), ch = height(), iw = Shown.width(), ih = Shown.height();
    QRect target(0, 0, iw, ih);
    const bool shrink = FOwner->Proportional() && (iw > cw || ih > ch);
    if (FOwner->Stretch() || shrink) {
      if (FOwner->Proportional()) {
        const double sx = static_cast<double>(cw) / iw, sy = static_cast<double>(ch) / ih;
        const double s = std::min(sx, sy);
        target = QRect(0, 0, std::max(1, static_cast<int>(iw * s)),
                       std::max(1, static_cast<int>(ih * s)));
      } else {
        target = QRect(0, 0, cw, ch);
      }
    }
    if (FOwner->Center()) target.moveTo((cw - target.width()) / 2, (ch - target.height()) / 2);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(target, Shown);
  }

private:
  TImage* FOwner;
  QImage FShown;
  bool FStale = true;

  // The picture with the transparent colour made see-through.
  QImage ShownImage() const {
    auto* bmp = dynamic_cast<TBitmap*>(FOwner->Picture()->Graphic());
    if (bmp == nullptr || bmp->Empty()) return QImage();
    QImage img = BitmapImage(bmp).convertToFormat(QImage::Format_ARGB32);
    if (FOwner->Transparent()) {
      // The see-through colour is the bitmap's transparent colour (its bottom-left pixel
      // unless set).
      const QRgb key = ToQRgb(bmp->TransparentColor()) & 0xFFFFFF;
      for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
          if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
      }
    }
    return img;
  }
};
}  // namespace

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  auto* f = new TPanelWidget;
  f->setAutoFillBackground(true);
  SetBounds(0, 0, 185, 41);
  AttachWidget(Native(f));
  ApplyFrame();
}

void TPanel::ApplyFrame() {
  auto* f = static_cast<TPanelWidget*>(Handle());
  if (FBevelOuter == bvNone && FBevelInner == bvNone) {
    f->setFrameStyle(QFrame::NoFrame);
  } else {
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(FBevelOuter == bvLowered ? QFrame::Sunken : QFrame::Raised);
    f->setLineWidth(FBevelInner == bvNone ? 1 : 2);
  }
  f->update();
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  ApplyFrame();
}

void TPanel::SetBevelInner(TBevelCut Value) {
  FBevelInner = Value;
  ApplyFrame();
}

void TPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  auto* f = static_cast<TPanelWidget*>(Handle());
  f->Align = QtAlignment(Value);
  f->update();
}

String TPanel::GetText() const { return FromQStr(static_cast<TPanelWidget*>(Handle())->Caption); }

void TPanel::SetTextValue(const String& Value) {
  auto* f = static_cast<TPanelWidget*>(Handle());
  f->Caption = QStr(Value);
  f->update();
}

bool TPanel::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  static const std::initializer_list<std::pair<const char*, int>> cuts = {
      {"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}, {"bvSpace", bvSpace}};
  if (Prop == "BevelOuter")
    SetBevelOuter(static_cast<TBevelCut>(DescribedEnum(Value, cuts)));
  else if (Prop == "BevelInner")
    SetBevelInner(static_cast<TBevelCut>(DescribedEnum(Value, cuts)));
  else if (Prop == "Alignment")
    SetAlignment(static_cast<TAlignment>(DescribedEnum(Value, {{"taLeftJustify", taLeftJustify},
                                                               {"taRightJustify", taRightJustify},
                                                               {"taCenter", taCenter}})));
  else
    return TWinControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TBevel ------------------------------------------------------------------------------
TBevel::TBevel(TComponent* AOwner) : TControl(AOwner) {
  SetBounds(0, 0, 50, 50);
  AttachWidget(Native(new TBevelWidget));
}

void TBevel::SetShape(TBevelShape Value) {
  FShape = Value;
  static_cast<TBevelWidget*>(Handle())->Shape = Value;
  Handle()->update();
}

void TBevel::SetStyle(TBevelStyle Value) {
  FStyle = Value;
  static_cast<TBevelWidget*>(Handle())->Style = Value;
  Handle()->update();
}

bool TBevel::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Shape")
    SetShape(static_cast<TBevelShape>(DescribedEnum(Value, {{"bsBox", bsBox},
                                                            {"bsFrame", bsFrame},
                                                            {"bsTopLine", bsTopLine},
                                                            {"bsBottomLine", bsBottomLine},
                                                            {"bsLeftLine", bsLeftLine},
                                                            {"bsRightLine", bsRightLine},
                                                            {"bsSpacer", bsSpacer}})));
  else if (Prop == "Style")
    SetStyle(static_cast<TBevelStyle>(
        DescribedEnum(Value, {{"bsLowered", bsLowered}, {"bsRaised", bsRaised}})));
  else
    return TControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TImage ------------------------------------------------------------------------------
TImage::TImage(TComponent* AOwner) : TControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FClickOnMouseUp = true;
  SetBounds(0, 0, 105, 105);
  AttachWidget(Native(new TImageWidget(this)));
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::PictureChanged() {
  static_cast<TImageWidget*>(Handle())->PictureChanged();
  if (FAutoSize) {
    auto* bmp = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (bmp != nullptr && !bmp->Empty()) SetBounds(Left(), Top(), bmp->Width(), bmp->Height());
  }
}

void TImage::SetStretch(bool Value) {
  FStretch = Value;
  Handle()->update();
}
void TImage::SetProportional(bool Value) {
  FProportional = Value;
  Handle()->update();
}
void TImage::SetCenter(bool Value) {
  FCenter = Value;
  Handle()->update();
}
void TImage::SetTransparent(bool Value) {
  FTransparent = Value;
  PictureChanged();
}
void TImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  PictureChanged();
}

bool TImage::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Picture.Data") {
    if (Value.kind != TPropValue::Kind::Binary)
      throw EConvertError("picture data { ... } or file '...' expected");
    FPicture->LoadFromEncoded(Value.s);
  } else if (Prop == "Stretch")
    SetStretch(Value.AsBoolean());
  else if (Prop == "Proportional")
    SetProportional(Value.AsBoolean());
  else if (Prop == "Center")
    SetCenter(Value.AsBoolean());
  else if (Prop == "Transparent")
    SetTransparent(Value.AsBoolean());
  else if (Prop == "AutoSize")
    SetAutoSize(Value.AsBoolean());
  else
    return TControl::SetDescribedProperty(Prop, Value);
  return true;
}

// ---- TTimer ------------------------------------------------------------------------------
struct TTimer::Impl {
  QTimer timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<Impl>()) {
  FImpl->timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&FImpl->timer, &QTimer::timeout, [this] { InvokeEvent(OnTimer, this); });
  UpdateTimer();
}

TTimer::~TTimer() { FImpl->timer.stop(); }

void TTimer::SetInterval(int Value) {
  FInterval = std::max(0, Value);
  UpdateTimer();
}

void TTimer::SetEnabled(bool Value) {
  FEnabled = Value;
  UpdateTimer();
}

bool TTimer::Active() const { return FImpl->timer.isActive(); }

void TTimer::UpdateTimer() {
  FImpl->timer.stop();
  if (FEnabled && FInterval > 0) FImpl->timer.start(std::max(FInterval, MinTimerInterval));
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

bool TTimer::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Interval")
    SetInterval(static_cast<int>(Value.AsInteger()));
  else if (Prop == "Enabled")
    SetEnabled(Value.AsBoolean());
  else
    return TComponent::SetDescribedProperty(Prop, Value);
  return true;
}

bool TTimer::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnTimer") {
    OnTimer = FindEventHandler<void(TObject*)>(Root, Handler, Event);
    return true;
  }
  return TComponent::SetDescribedEvent(Event, Handler, Root);
}
