#include "Unit53.h"

#include <algorithm>
#include <cmath>

#include "NoisePlotLink.h"
#include "SysUtils.h"
#include "Unit35.h"

TForm53* Form53 = nullptr;

namespace {

constexpr TColor kBlack = 0, kRed = 255, kFuchsia = 16711935;
// An open square of 5 x 5 pixels: it stands out from the line through it (the 3 x 3 one reads
// as a speck on the line).
constexpr Byte kOpenSquare = 11;
constexpr int kBothLayer = 5;
constexpr int kPlotLayers = 5;
constexpr int kZoomIn = 100, kZoomOut = 75;  // one zoom step is 100/75
constexpr int kMaxZoom = 2;
constexpr Double kNoMinFlux = 1e9, kNoMinDb = 10000;
// The Y range of a series without samples (the smallest/largest search found nothing).
constexpr Double kEmptyLow = 0, kEmptyHigh = 1;
// Ends closer than this part of their size are one value to the axis labels; such a series gets
// a tenth of its value (at least 1) on either side.
constexpr Double kFlatSpan = 1e-3, kFlatHalfRange = 0.1;
// Room above the largest and below the smallest value, as a part of the span, so that the marks
// of the extreme samples stand whole inside the frame (at the smallest zoom too).
constexpr Double kValueMargin = 0.02;
constexpr const char* kValuePattern = "#0.00";
constexpr const char* kCrossHairPattern = "00.00";

class TPlotLink : public TNoisePlotLink {
public:
  explicit TPlotLink(TForm53* Form) : FForm(Form) {}
  void OpenPlot() override { FForm->OpenPlot(); }
  void RedrawShownSeries() override { FForm->RedrawShownSeries(); }

private:
  TForm53* FForm;
};

// Smallest and largest value of samples 1 .. n, the smallest starting at Start, the largest at
// 0, as the plot's Y range is found.
void Extend(Double v, Double& Lo, Double& Hi) {
  Hi = std::max(Hi, v);
  Lo = std::min(Lo, v);
}

// The Y range for values Lo .. Hi: a little wider, so that no mark lies on the frame, and
// when the two are one value to the axis (a series of equal values) a range around it whose
// labels differ and whose middle holds the line.
void MakeReadable(Double& Lo, Double& Hi) {
  const Double size = std::max({Double{1}, std::fabs(Lo), std::fabs(Hi)});
  if (!(Hi - Lo > kFlatSpan * size)) {
    const Double middle = Lo / 2 + Hi / 2;
    const Double half = std::max(Double{1}, kFlatHalfRange * std::fabs(middle));
    Lo = middle - half;
    Hi = middle + half;
  }
  const Double margin = kValueMargin * (Hi - Lo);
  Lo -= margin;
  Hi += margin;
}

}  // namespace

// One single-series button: its layer, values and texts.
struct TForm53::TSeries {
  int Layer;
  std::vector<float> TForm35::*Values;
  TColor Color;
  const char* YCaption;
  const char* XCaption;  // nullptr: the X caption stays
  const char* Title;
  const char* Unit;
  const char* ValueName;
  const char* ValueUnit;
  Double StartMin;
  Double GridDy;
  bool TForm53::*Flag;
};

namespace {
const TForm53::TSeries* SeriesTable();
}

TForm53::TForm53(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit53", KESTAL_UNIT53_PARTS);
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
  ZOdoza1->OnMouseMoveInChart = [this](TObject* s, bool in, TShiftState sh, Double x, Double y) {
    ZOdoza1MouseMoveInChart(s, in, sh, x, y);
  };
  // Cross hair 1 follows the pointer on layer 1; 2 .. 4 stay black on their own layers.
  ZOdoza1->CrossHairSetup(1, clTeal, chBoth, psSolid, 1);
  ZOdoza1->CrossHair(1)->SetCrossHLayer(1);
  for (int ch = 2; ch <= 4; ++ch) {
    ZOdoza1->CrossHairSetup(ch, clBlack, chOff, psSolid, 1);
    ZOdoza1->CrossHair(ch)->SetCrossHLayer(ch);
  }
  ZOdoza1->GetScalePropsX1()->SetVisible(true);
  ZOdoza1->GetScalePropsY1()->SetVisible(true);
  ZOdoza1->GetScalePropsY1()->SetCaptAnchor(uaSclTopLft);
  // The X axis counts samples: whole numbers, ticks at least one sample apart.
  ZOdoza1->GetScalePropsX1()->SetDecPlaces(0);
  ZOdoza1->GetScalePropsX1()->SetMinTicks(2);
  for (int layer = 2; layer <= 4; ++layer) {
    ZOdoza1->GetScalePropsX(layer)->SetVisible(false);
    ZOdoza1->GetScalePropsY(layer)->SetVisible(false);
  }
  // Each series has its layer, but the axes shown are layer 1's: every series layer takes
  // layer 1's ranges, so a sample stands at its number and value on those axes.
  for (int layer = 2; layer <= kPlotLayers; ++layer) {
    ZOdoza1->JointLayers()->SetControlledLayerX(layer, 1);
    ZOdoza1->JointLayers()->SetControlledLayerY(layer, 1);
  }
  RememberStartSize(this);
  SetNoisePlot(std::make_unique<TPlotLink>(this));
}

TForm53::~TForm53() {
  // Another link installed since (a test's) stays.
  if (dynamic_cast<TPlotLink*>(&NoisePlot()) != nullptr) SetNoisePlot(nullptr);
}

void TForm53::RememberStartSize(TControl* C) {
  FStartBounds.push_back({C, C->Left(), C->Top(), C->Width(), C->Height(), C->Font()->Size()});
  if (auto* w = dynamic_cast<TWinControl*>(C))
    for (int i = 0; i < w->ControlCount(); ++i) RememberStartSize(w->Controls(i));
}

namespace {
const TForm53::TSeries* SeriesTable() {
  static const TForm53::TSeries table[] = {
      {1, &TForm35::SampleFlux, kBlack, "kJy", nullptr, " Sun Flow ", " kJy ", "Sun Flow", "kJy ",
       kNoMinFlux, 50, &TForm53::FluxShown},
      {2, &TForm35::SampleExpected, kRed, "dB", "Measure #", " Sun Noise expected ", " dB ",
       "Sun Noise expected", "dB ", kNoMinDb, 1, &TForm53::ExpectedShown},
      {3, &TForm35::SampleMeasured, kRed, "dB", "Measure #", " Sun Noise measured ", " dB ",
       "Sun Noise measured", "dB ", kNoMinDb, 1, &TForm53::MeasuredShown},
      {4, &TForm35::SampleDelta, kRed, "dB", "Measure #", " Delta ", " dB ", "Delta", "dB ",
       kNoMinDb, 1, &TForm53::DeltaShown},
  };
  return table;
}

// Samples 1 .. n of the last load (0 when the database held none).
int SampleTotal() { return Form35 ? std::max(Form35->SampleCount - 1, 0) : 0; }
}  // namespace

void TForm53::ClearFlags() {
  FluxShown = ExpectedShown = MeasuredShown = DeltaShown = BothShown = false;
}

void TForm53::ShowOneValueField(const String& Name, const String& Unit) {
  Edit9->Show();
  Edit10->Hide();
  Label13->SetCaption(Name);
  Label15->SetCaption(Unit);
  Label13->Show();
  Label15->Show();
  Label14->Hide();
  Label16->Hide();
}

// Shows the layer alone on layer 1's axes, which the series layers follow: X 0 .. n + 1, so
// samples 1 .. n keep a sample's room from the frame, and Y over Lo .. Hi (MakeReadable). An
// empty database leaves a neutral range (the search would give the reversed 10000 .. 0).
static void ShowLayer(TZOdoza* Chart, int Layer, int Samples, Double Lo, Double Hi, Double GridDy) {
  if (Samples < 1) {
    Lo = kEmptyLow;
    Hi = kEmptyHigh;
  } else {
    MakeReadable(Lo, Hi);
  }
  Chart->ForceRange(1, 0, Lo, std::max(Samples, 0) + 1, Hi);
  Chart->SetGridDy(GridDy);
  for (int l = 1; l <= kPlotLayers; ++l) Chart->SetLayerVisib(l, l == Layer);
  // Shown with AutoRedraw off, ShowGraf paints the whole chart and leaves the cached data area
  // without cross hairs (with it on, they are drawn into the cache, and the next move of the
  // pointer would show the old cross hair beside the new one, see PlaceCrossHair).
  Chart->SetAutoRedraw(false);
  Chart->ShowGraf();
  Chart->SetAutoRedraw(true);
}

// The pointer's position is read in the active layer and cross hair 1 is drawn there; the
// layer has layer 1's ranges, so both agree with the axes shown.
void TForm53::ActivateLayer(int Layer) {
  ZOdoza1->SetActiveLayer(Layer);
  ZOdoza1->GetCrossHair1()->SetCrossHLayer(Layer);
}

void TForm53::PlotSeries(const TSeries& S) {
  ActivateLayer(S.Layer);
  ZOdoza1->ClearGraf();
  ZOdoza1->SetDataCol(S.Color);
  if (S.Layer == 1) ZOdoza1->SetLineWid(1);
  ZOdoza1->GetScalePropsY1()->SetCaption(S.YCaption);
  if (S.XCaption) ZOdoza1->GetScalePropsX1()->SetCaption(S.XCaption);
  Edit2->SetText(S.Title);
  Label6->SetCaption(S.Unit);
  ClearFlags();
  this->*S.Flag = true;

  const std::vector<float>& v = Form35->*S.Values;
  const int n = std::min<int>(SampleTotal(), static_cast<int>(v.size()) - 1);
  Double lo = S.StartMin, hi = 0;
  if (n >= 1) {
    ZOdoza1->MoveTo(Integer{1}, Double{v[1]});
    for (int i = 1; i <= n; ++i) {
      ZOdoza1->DrawTo(Integer{i}, Double{v[static_cast<size_t>(i)]});
      Extend(v[static_cast<size_t>(i)], lo, hi);
      ZOdoza1->MarkAt(Double(i), Double{v[static_cast<size_t>(i)]}, kOpenSquare);
    }
  }
  ShowOneValueField(S.ValueName, S.ValueUnit);
  Refresh();
  ShowLayer(ZOdoza1, S.Layer, n, lo, hi, S.GridDy);
}

void TForm53::Button4Click(TObject*) { PlotSeries(SeriesTable()[0]); }
void TForm53::Button5Click(TObject*) { PlotSeries(SeriesTable()[1]); }
void TForm53::Button6Click(TObject*) { PlotSeries(SeriesTable()[2]); }
void TForm53::Button7Click(TObject*) { PlotSeries(SeriesTable()[3]); }

void TForm53::Button8Click(TObject*) {
  ActivateLayer(kBothLayer);
  ZOdoza1->ClearGraf();
  Double lo = kNoMinDb, hi = 0;
  Label6->SetCaption(" dB ");
  Edit2->SetText(" Sun noise expected vs. measured ");
  ClearFlags();
  BothShown = true;
  const std::vector<float>& e = Form35->SampleExpected;
  const std::vector<float>& m = Form35->SampleMeasured;
  const int n = std::min<int>(
      {SampleTotal(), static_cast<int>(e.size()) - 1, static_cast<int>(m.size()) - 1});
  // Each sample's mark in the colour of its series' line.
  for (auto [v, color] : {std::pair{&e, kFuchsia}, std::pair{&m, kRed}}) {
    ZOdoza1->SetDataCol(color);
    for (int i = 1; i <= n; ++i) {
      ZOdoza1->MarkAt(Double(i), Double{(*v)[static_cast<size_t>(i)]}, kOpenSquare);
      Extend((*v)[static_cast<size_t>(i)], lo, hi);
    }
  }
  Edit9->Show();
  Edit10->Show();
  Label13->SetCaption("Sun Noise expected");
  Label14->SetCaption("Sun Noise measured");
  Label15->SetCaption("dB ");
  Label16->SetCaption("dB ");
  for (TLabel* l : {Label13, Label14, Label15, Label16}) l->Show();
  Refresh();
  if (n >= 1) {
    for (auto [v, color] : {std::pair{&m, kRed}, std::pair{&e, kFuchsia}}) {
      ZOdoza1->SetDataCol(color);
      ZOdoza1->MoveTo(Integer{1}, Double{(*v)[1]});
      for (int i = 1; i <= n; ++i)
        ZOdoza1->DrawTo(Integer{i}, Double{(*v)[static_cast<size_t>(i)]});
    }
  }
  ShowLayer(ZOdoza1, kBothLayer, n, lo, hi, 1);
}

void TForm53::ClearReadOut() {
  for (TEdit* e : {Edit1, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10}) e->SetText("");
}

// With AutoRedraw on, a cross-hair change repaints all data (12 ms for 50,000 samples) before
// the cross hairs are drawn over the cached data area. Every drawing of this window leaves that
// cache current and free of cross hairs (ShowLayer, ClearGraf, Repaint), so the cross-hair
// refresh alone gives the same picture.
void TForm53::PlaceCrossHair(Double X, Double Y) {
  const bool autoRedraw = ZOdoza1->AutoRedraw();
  ZOdoza1->SetAutoRedraw(false);
  ZOdoza1->CrossHairSetPos(1, X, Y);
  ZOdoza1->SetAutoRedraw(autoRedraw);
}

void TForm53::ZOdoza1MouseMoveInChart(TObject*, bool InChart, TShiftState, Double rMousePosX,
                                      Double rMousePosY) {
  const bool shown = FluxShown || ExpectedShown || MeasuredShown || DeltaShown || BothShown;
  // The sample nearest the pointer: sample i stands at x = i and owns i - 0.5 .. i + 0.5.
  const Double nearest = std::isfinite(rMousePosX) ? std::floor(rMousePosX + 0.5) : 0;
  const bool onSample = InChart && shown && nearest >= 1 && nearest <= SampleTotal();
  if (!onSample) {
    const TCrossHair* ch = ZOdoza1->GetCrossHair1();
    if (ch->PosX() != 0 || ch->PosY() != 0) PlaceCrossHair(0, 0);
    ClearReadOut();
    return;
  }
  PlaceCrossHair(rMousePosX, rMousePosY);
  const size_t i = static_cast<size_t>(nearest);
  const TForm35& f = *Form35;
  Edit1->SetText(IntToStr(static_cast<int>(i)));
  Edit3->SetText(f.SampleDate[i]);
  Edit4->SetText(FormatFloat(kCrossHairPattern, rMousePosY));
  Edit5->SetText(FloatToStr(f.SampleFrequency[i]));
  Edit6->SetText(FormatFloat(kValuePattern, f.SampleGain[i]));
  Edit7->SetText(FormatFloat(kValuePattern, f.SampleTsys[i]));
  Edit8->SetText(f.SampleComment[i]);
  const std::vector<float>* shownValues = FluxShown       ? &f.SampleFlux
                                          : ExpectedShown ? &f.SampleExpected
                                          : MeasuredShown ? &f.SampleMeasured
                                          : DeltaShown    ? &f.SampleDelta
                                                          : &f.SampleExpected;
  Edit9->SetText(FormatFloat(kValuePattern, (*shownValues)[i]));
  if (BothShown) Edit10->SetText(FormatFloat(kValuePattern, f.SampleMeasured[i]));
}

// Every control back to its start-up bounds and font: integer scaling by 4/3 and 3/4 does not
// return exactly to where it started.
void TForm53::ZoomBy(int Step) {
  ZoomLevel += Step;
  if (ZoomLevel == 0) {
    for (const TBounds& b : FStartBounds) {
      b.Control->SetBounds(b.Left, b.Top, b.Width, b.Height);
      if (b.Control->Font()->Size() != b.FontSize) b.Control->Font()->SetSize(b.FontSize);
    }
    return;
  }
  if (Step < 0)
    ScaleBy(kZoomIn, kZoomOut);
  else
    ScaleBy(kZoomOut, kZoomIn);
}

void TForm53::Button2Click(TObject*) {
  if (ZoomLevel > -kMaxZoom) ZoomBy(-1);
}

void TForm53::Button3Click(TObject*) {
  if (ZoomLevel < kMaxZoom) ZoomBy(+1);
}

void TForm53::UndoZoom() {
  while (ZoomLevel != 0) ZoomBy(ZoomLevel > 0 ? -1 : +1);
}

void TForm53::Button9Click(TObject*) {
  ZOdoza1->ClearGraf();
  ZOdoza1->Hide();
  ClearFlags();
  ZOdoza1->ClearGraf();
  ZOdoza1->Repaint();
  ZOdoza1->GetScalePropsY1()->SetCaption("");
  ZOdoza1->GetScalePropsX1()->SetCaption("");
  Label6->SetCaption("");
  ZOdoza1->ClearGraf();
  UndoZoom();
  Edit2->SetText("");
  ZOdoza1->Show();
}

void TForm53::Button1Click(TObject*) {
  ZOdoza1->GetScalePropsY1()->SetCaption("");
  ZOdoza1->GetScalePropsX1()->SetCaption("");
  Label6->SetCaption("");
  ZOdoza1->ClearGraf();
  ZOdoza1->Repaint();
  ClearFlags();
  Close();
}

void TForm53::FormClose(TObject*, TCloseAction&) {
  ZOdoza1->GetScalePropsY1()->SetCaption("");
  ZOdoza1->GetScalePropsX1()->SetCaption("");
  Label6->SetCaption("");
}

void TForm53::FormActivate(TObject*) {
  TScalePropsHoriz* x1 = ZOdoza1->GetScalePropsX1();
  x1->SetRangeLow(0);
  x1->SetRangeHigh(Form35 ? Form35->SampleCount : 1);
}

void TForm53::FormMouseMove(TObject*, TShiftState, int, int) {
  if (Screen) Screen->SetCursor(crDefault);
}

void TForm53::OpenPlot() {
  UndoZoom();
  ZOdoza1->Hide();
  Edit2->SetText("");
  for (TControl* c :
       std::initializer_list<TControl*>{Edit9, Edit10, Label13, Label14, Label15, Label16})
    c->Hide();
  if (Form35) {
    Form35->LoadIndex = 1;
    Form35->LoadNoiseDatabase();
  }
  ZOdoza1->ClearGraf();
  Button9Click(Button9);
  Button6Click(Button6);
  ZOdoza1->Show();
  Show();
}

void TForm53::RedrawShownSeries() {
  ZOdoza1->ClearGraf();
  if (FluxShown) Button4Click(Button4);
  if (ExpectedShown) Button5Click(Button5);
  if (MeasuredShown) Button6Click(Button6);
  if (DeltaShown) Button7Click(Button7);
  if (BothShown) Button8Click(Button8);
}
