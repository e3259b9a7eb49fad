#include "Unit36.h"

#include <cmath>

#include "Graphics.h"
#include "SysUtils.h"
#include "MainWindow.h"

TForm36* Form36 = nullptr;

namespace {

constexpr const char* kFluxPattern = "###0";
constexpr const char* kYFactorPattern = "###0.00";
constexpr const char* kDistancePattern = "#.#";
constexpr const char* kAgePattern = "#.##";
constexpr const char* kTemperaturePattern = "#.#";

// What "Close" leaves in the flux fields (the Y-factor fields keep their values).
struct TCloseText {
  TEdit* TForm36::*Field;
  const char* Text;
};
constexpr TCloseText kCloseTexts[] = {{&TForm36::Edit17, "800"},  {&TForm36::Edit19, "1495"},
                                      {&TForm36::Edit20, "875"},  {&TForm36::Edit21, "2477"},
                                      {&TForm36::Edit22, "2010"}, {&TForm36::Edit1, "47"},
                                      {&TForm36::Edit4, "200"}};

}  // namespace

TForm36::TForm36(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit36", KESTAL_UNIT36_PARTS);
  DrawMoonPicture();
}

std::array<TForm36::TSourceFields, 6> TForm36::SourceFields() const {
  // RadioSources order: Cygnus A, Taurus A, Cassiopeia A, Sagittarius A, 3C273, Virgo A.
  return {{{Edit19, Edit26},
           {Edit20, Edit27},
           {Edit21, Edit28},
           {Edit22, Edit29},
           {Edit1, Edit2},
           {Edit4, Edit3}}};
}

void TForm36::Button1Click(TObject* Sender) {
  const double ae = MainWindow->Figures.EffectiveAperture, tsys = MainWindow->Figures.Tsys;

  Moon = ComputeMoonNoise(*CurveFit1, MainWindow->MoonAge, MainWindow->MoonDistance,
                          MainWindow->Figures.Wavelength);
  if (Moon.DistanceKnown) {
    Edit17->SetText(FormatFloat(kFluxPattern, Moon.FluxJy));
    Edit24->SetText(FormatFloat(kYFactorPattern, NoiseYFactor(Moon.FluxJy, ae, tsys).YFactorDb));
  } else {
    Edit17->SetText("");
    Edit24->SetText("");
  }
  Edit6->SetText(FormatFloat(kDistancePattern, MainWindow->MoonDistance));
  Edit5->SetText(FormatFloat(kAgePattern, MainWindow->MoonAge));
  Edit7->SetText(FormatFloat(kTemperaturePattern, Moon.SurfaceTemp));

  const auto fields = SourceFields();
  for (std::size_t i = 0; i < RadioSources.size(); ++i) {
    const double flux = SourceFluxJy(RadioSources[i], MainWindow->Receiver.Frequency);
    fields[i].Flux->SetText(FormatFloat(kFluxPattern, flux));
    fields[i].YFactor->SetText(
        FormatFloat(kYFactorPattern, NoiseYFactor(flux, ae, tsys).YFactorDb));
  }
}

void TForm36::Button2Click(TObject* Sender) {
  for (const TCloseText& c : kCloseTexts) (this->*c.Field)->SetText(c.Text);
  Hide();
}

// A grey disc with a few darker maria, drawn rather than shipped as a file.
void TForm36::DrawMoonPicture() {
  const int w = Image1->Width(), h = Image1->Height();
  TBitmap bmp;
  bmp.SetSize(w, h);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->Pen()->SetColor(clBtnFace);
  c->Rectangle(0, 0, w, h);
  c->Brush()->SetColor(static_cast<TColor>(0x00C8C8C8));
  c->Pen()->SetColor(static_cast<TColor>(0x00909090));
  c->Ellipse(2, 2, w - 2, h - 2);
  c->Brush()->SetColor(static_cast<TColor>(0x00A0A0A0));
  c->Pen()->SetColor(static_cast<TColor>(0x00A0A0A0));
  const struct {
    double x, y, r;
  } maria[] = {{0.35, 0.32, 0.12}, {0.58, 0.40, 0.09}, {0.45, 0.62, 0.14}, {0.70, 0.66, 0.06}};
  for (const auto& m : maria) {
    const int cx = static_cast<int>(m.x * w), cy = static_cast<int>(m.y * h);
    const int r = static_cast<int>(m.r * w);
    c->Ellipse(cx - r, cy - r, cx + r, cy + r);
  }
  Image1->Picture()->SetGraphic(&bmp);
}
