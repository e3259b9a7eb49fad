// The chart's 30 text labels: handing them out, filling, hiding, freeing and drawing them.
#include <algorithm>
#include <cmath>

#include "DOV_zodoza.h"

namespace {
constexpr TColor kLabelShadowColor = 0x808080;
constexpr Integer kBoxMarginX = 4, kBoxMarginY = 2;
}  // namespace

TTextLabel* TCustomZOdoza::GetFTextLabel(Integer ix) const {
  if (ix < 1 || ix > kNumTextLabels)
    throw ESDLZOdozaError(ComponentErrorMessage(this, "invalid index into TextLabel array"));
  return FTextLabels[ix].get();
}

void TCustomZOdoza::SetFTextLabel(Integer ix, TTextLabel* Value) {
  TTextLabel* own = GetFTextLabel(ix);
  if (Value == nullptr) return;
  const TNotifyEvent handler = own->OnChange;
  own->OnChange = nullptr;
  own->Assign(Value);
  own->OnChange = handler;
  StyleChanged(this);
}

void TCustomZOdoza::FillTextLabel(Integer n, Double PosX, Double PosY, TColor TxtColor,
                                  const String& Txt, Integer PropertyTemplate) {
  TTextLabel* l = FTextLabels[n].get();
  const TTextLabel* t = PropertyTemplate >= 1 && PropertyTemplate <= kNumTextLabels
                            ? FTextLabels[PropertyTemplate].get()
                            : nullptr;
  l->SetTxtLblPosX(PosX);
  l->SetTxtLblPosY(PosY);
  l->SetTxtLblLayer(FActiveLayer);
  if (t != nullptr) {
    l->SetTxtLblScreenPos(t->AttachToData());
    l->SetTxtLblAlignment(t->Alignment());
    l->SetTxtLblShadowDx(t->ShadowDx());
    l->SetTxtLblShadowDy(t->ShadowDy());
    l->SetTxtLblColorShadow(t->ColorShadow());
    l->SetTxtLblColorBkg(t->ColorBkg());
    l->SetTxtLblColorBrd(t->ColorBorder());
    l->SetTxtLblTranspar(t->Transparent());
  } else {
    l->SetTxtLblScreenPos(tlamBoth);
    l->SetTxtLblAlignment(taCenter);
    l->SetTxtLblShadowDx(0);
    l->SetTxtLblShadowDy(0);
    l->SetTxtLblColorShadow(kLabelShadowColor);
    l->SetTxtLblColorBkg(RcChartCol);
    l->SetTxtLblColorBrd(FChartFrameCol);
    l->SetTxtLblTranspar(false);
  }
  l->SetTxtLblCaption(Txt);
  l->Font()->SetColor(TxtColor);
  l->SetTxtLblMode(t != nullptr && t->Mode() != tlOff ? t->Mode() : tlsimple);
  l->SetTxtLblVisible(true);
}

Integer TCustomZOdoza::AddTextLabel(Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                                    Integer PropertyTemplate) {
  for (Integer n = 1; n <= kNumTextLabels; ++n) {
    if (FTextLabels[n]->Mode() != tlOff) continue;
    FillTextLabel(n, PosX, PosY, TxtColor, Txt, PropertyTemplate);
    return n;
  }
  return 0;
}

void TCustomZOdoza::SetTextLabel(Integer Idx, Double PosX, Double PosY, TColor TxtColor,
                                 const String& Txt, Integer PropertyTemplate) {
  if (Idx < 1 || Idx > kNumTextLabels) return;
  FillTextLabel(Idx, PosX, PosY, TxtColor, Txt, PropertyTemplate);
}

void TCustomZOdoza::HideAllTextLabels() {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer n = 1; n <= kNumTextLabels; ++n) FTextLabels[n]->SetTxtLblVisible(false);
  FSuppressPaint = !saved;
  SetSuppressPaint(saved);
}

void TCustomZOdoza::ClearAllTextLabels() {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer n = 1; n <= kNumTextLabels; ++n) FTextLabels[n]->SetTxtLblMode(tlOff);
  FSuppressPaint = !saved;
  SetSuppressPaint(saved);
}

void TCustomZOdoza::DrawTextLabels(TCanvas* Canvas, Integer OffX, Integer OffY, bool OneLineShift) {
  for (Integer n = kNumTextLabels; n >= 1; --n) {
    const TTextLabel& l = *FTextLabels[n];
    if (l.Mode() == tlOff || !l.Visible() || !GetLayerVisib(l.Layer())) continue;
    DrawTextLabel(Canvas, l, OffX, OffY, OneLineShift);
  }
}

void TCustomZOdoza::DrawTextLabel(TCanvas* Canvas, const TTextLabel& L, Integer OffX, Integer OffY,
                                  bool OneLineShift) {
  const TTxtLblAttachMode att = L.AttachToData();
  Integer wx = 0, wy = 0;
  R2M(L.Layer(), L.PosX(), L.PosY(), wx, wy);
  const auto Pixel = [](Double v) {
    return v == v
               ? static_cast<long long>(std::nearbyint(std::clamp(v, -2147483647.0, 2147483647.0)))
               : 0LL;
  };
  long long x = (att == tlamBoth || att == tlamXOnly) ? wx : Pixel(L.PosX());
  long long y = (att == tlamBoth || att == tlamYOnly) ? wy : Pixel(L.PosY());
  x += OffX - RcLRim;
  y += OffY - RcTRim;
  Canvas->Font()->Assign(L.Font());
  Canvas->Pen()->SetColor(L.ColorBorder());
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Brush()->SetColor(L.ColorBkg());
  Canvas->Brush()->SetStyle(L.Transparent() ? bsClear : bsSolid);
  const String& text = L.Caption();
  Integer w = 0, total = 0, lineH = 0;
  const Integer n = CalcTextExtents(text, Canvas, w, total, lineH);
  const Integer h = Canvas->TextHeight(text);
  const Integer shift = OneLineShift ? h : n * h;
  if (L.VerticalAlignment() == vaTop)
    y += shift;
  else if (L.VerticalAlignment() == vaCenter)
    y += shift / 2;
  if (L.Alignment() == taRightJustify)
    x -= w;
  else if (L.Alignment() == taCenter)
    x -= w / 2;
  const Integer ix = static_cast<Integer>(std::clamp<long long>(x, -30000, 30000));
  const Integer iy = static_cast<Integer>(std::clamp<long long>(y, -30000, 30000));
  const TRect box =
      Rect(ix - kBoxMarginX, iy - n * h - kBoxMarginY, ix + w + kBoxMarginX, iy + kBoxMarginY);
  const auto Fill = [&] {
    if (L.Transparent()) return;
    Canvas->Pen()->SetColor(L.ColorBkg());
    Canvas->Rectangle(box);
    Canvas->Pen()->SetColor(L.ColorBorder());
  };
  switch (L.Mode()) {
    case tlOff: return;
    case tlsimple: Fill(); break;
    case tlBox: Canvas->Rectangle(box); break;
    case tlUnderline:
      Fill();
      Canvas->MoveTo(ix, iy);
      Canvas->LineTo(ix + w, iy);
      break;
    case tlShadow: {
      Canvas->Pen()->SetColor(L.ColorShadow());
      Canvas->Brush()->SetColor(L.ColorShadow());
      Canvas->Brush()->SetStyle(bsSolid);
      Canvas->Rectangle(Rect(box.Left + L.ShadowDx(), box.Top + L.ShadowDy(),
                             box.Right + L.ShadowDx(), box.Bottom + L.ShadowDy()));
      Canvas->Pen()->SetColor(L.ColorBorder());
      Canvas->Brush()->SetColor(L.ColorBkg());
      Canvas->Brush()->SetStyle(L.Transparent() ? bsClear : bsSolid);
      Canvas->Rectangle(box);
      break;
    }
  }
  Canvas->Brush()->SetStyle(bsClear);
  size_t start = 0;
  for (Integer k = 0; k < n; ++k) {
    const size_t lf = text.find('\n', start);
    const String line = text.substr(start, lf == String::npos ? String::npos : lf - start);
    Integer indent = 0;
    if (n > 1) {
      const Integer lw = Canvas->TextWidth(line);
      if (L.Alignment() == taRightJustify)
        indent = w - lw;
      else if (L.Alignment() == taCenter)
        indent = (w - lw) / 2;
    }
    Canvas->TextOut(ix + indent, iy - (n - k) * h, n > 1 ? line : text);
    start = lf == String::npos ? text.size() : lf + 1;
  }
  Canvas->Brush()->SetStyle(bsSolid);
}
