#include "InfoPictures.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "SysUtils.h"

namespace InfoPictures {

namespace {

// One line of a picture. A fraction line draws Lead, then Numerator over a bar over
// Denominator, then Tail; the other kinds are one line of text each.
enum class TKind { Title, Formula, Fraction, Text, Reference, SkyDiagram };

struct TLine {
  TKind Kind;
  String Lead, Numerator = "", Denominator = "", Tail = "";
};

TLine Title(const String& s) { return {TKind::Title, s}; }
TLine Formula(const String& s) { return {TKind::Formula, s}; }
TLine Fraction(const String& lead, const String& num, const String& den, const String& tail = "") {
  return {TKind::Fraction, lead, num, den, tail};
}
TLine Text(const String& s) { return {TKind::Text, s}; }
TLine Ref(const String& s) { return {TKind::Reference, s}; }
TLine SkyDiagram() { return {TKind::SkyDiagram, ""}; }

const char* const Catalogue =
    "ATNF Pulsar Catalogue: https://www.atnf.csiro.au/research/pulsar/psrcat/";
const char* const RadioAstronomy =
    "Radio Astronomy, 2nd ed., Cygnus-Quasar Books, 1986, chapters 6 and 7";
const char* const PulsarHandbook = "Handbook of Pulsar Astronomy, Cambridge University Press, 2005";
const char* const AntennaBook = "Antennas, 2nd ed., McGraw-Hill, 1988, chapter 2";

const std::map<String, std::vector<TLine>>& Pictures() {
  static const std::map<String, std::vector<TLine>> pictures = {
      {"Form5",
       {Title("Ks  Sensitivity constant"), Formula("Ks ≈ 1"),
        Text("A dimensionless constant of order unity in the radiometer equation."),
        Text("It depends on the type of receiver:"), Text("   total-power receiver   Ks = 1"),
        Text("   switched (Dicke) receiver   Ks = 2"),
        Text("   correlation receiver   Ks = 1.41 (√2)"),
        Text("Use 1 for a simple total-power receiver."), Ref(RadioAstronomy)}},
      {"Form6", {Title("T Sky  Sky noise temperature"), SkyDiagram()}},
      {"Form7",
       {Title("T Spillover  Spillover noise temperature"),
        Text("Part of the feed's pattern misses the dish and looks at the warm ground"),
        Text("(about 290 K) behind and around the antenna."),
        Text("The stray radiation it picks up adds to the system noise."),
        Text("It is a strong function of elevation: it grows as the dish points lower."),
        Text("A well-illuminated dish usually gets 10 K or less."), Ref(RadioAstronomy)}},
      {"Form8",
       {Title("T Atmosphere  Atmospheric noise temperature"),
        Text("Oxygen and water vapour absorb and so emit radio noise."),
        Text("Below 5 GHz it is a few kelvin at most and can be taken as 0."),
        Text("Above 5 GHz it grows, with peaks at 22 GHz (water) and 60 GHz (oxygen),"),
        Text("and it grows at low elevations, where the path through the air is longer."),
        Ref(RadioAstronomy)}},
      {"Form11",
       {Title("Effective antenna aperture"), Fraction("Ae  =  ", "G · λ²", "4π"),
        Text("Ae   effective aperture (m²)"), Text("G    antenna gain (as a ratio, not in dB)"),
        Text("λ    wavelength (m) = 300 / f (MHz)"),
        Text("For a dish Ae = k · A, with k the efficiency and A the area."), Ref(AntennaBook)}},
      {"Form17",
       {Title("Far Field"), Fraction("R  =  ", "2 D²", "λ"),
        Text("R    distance from which the antenna's pattern is fully formed (m)"),
        Text("D    largest dimension of the aperture (m)"), Text("λ    wavelength (m)"),
        Text("Measure antennas and test signals beyond this distance."), Ref(AntennaBook)}},
      {"Form18",
       {Title("Dish Gain"), Fraction("G  =  k · ", "4π A", "λ²", "  =  k · (π D / λ)²"),
        Text("G    gain over an isotropic antenna (ratio; in dBi: 10 · log10 G)"),
        Text("k    dish efficiency (0.5 to 0.7 is usual)"),
        Text("A    dish area (m²)      D    dish diameter (m)"), Text("λ    wavelength (m)"),
        Ref(AntennaBook)}},
      {"Form19",
       {Title("T System  System noise temperature"),
        Text("A cascade of stages: T1, G1 → T2, G2 → T3, G3 → ..."),
        Formula("Ttotal = T1 + T2 / G1 + T3 / (G1 G2) + ..."),
        Formula("Tsystem = Tsky + Tspill + Tatm + Ttotal"),
        Text("Tn   noise temperature of stage n (K) = 290 · (F - 1), F its noise factor"),
        Text("Gn   gain of stage n (ratio); a loss L is a gain of 1/L"),
        Text("The first stage counts most: put the LNA right at the feed."), Ref(RadioAstronomy)}},
      {"Form20",
       {Title("System noise figure"), Formula("NF = 10 · log10 ( Tsystem / 290 + 1 )"),
        Text("NF        system noise figure (dB)"), Text("Tsystem   system noise temperature (K)"),
        Text("290 K     the reference temperature T0")}},
      {"Form21",
       {Title("MDS  Minimum detectable signal"),
        Fraction("MDS  =  ", "2k · Tsys · Ks", "Ae · √(Δν · t · n)"),
        Text("k      Boltzmann's constant, 1.38 · 10⁻²³ J/K"),
        Text("Tsys   system noise temperature (K)     Ks   sensitivity constant"),
        Text("Ae     effective aperture (m²)"),
        Text("Δν     bandwidth (Hz)     t   integration time (s)"),
        Text("n      number of records averaged"),
        Text("1 Jy = 10⁻²⁶ W m⁻² Hz⁻¹; the result is shown in mJy."), Ref(RadioAstronomy)}},
      {"Form23",
       {Title("P0  Pulsar period"), Text("Barycentric period of the pulsar (s):"),
        Text("the time between two pulses, as seen from the centre of mass"),
        Text("of the solar system."), Ref(Catalogue)}},
      {"Form24",
       {Title("DM  Dispersion measure"), Formula("DM = ∫ ne dl      (cm⁻³ pc)"),
        Text("The column density of free electrons between the pulsar and us."),
        Text("It delays the lower frequencies of each pulse and smears it"),
        Text("over the receiver's bandwidth."), Ref(Catalogue)}},
      {"Form25",
       {Title("S400  Flux density at 400 MHz"),
        Text("Mean flux density of the pulsar at 400 MHz (mJy),"),
        Text("averaged over the pulse period."), Text("1 mJy = 10⁻²⁹ W m⁻² Hz⁻¹"), Ref(Catalogue)}},
      {"Form26",
       {Title("S1400  Flux density at 1400 MHz"),
        Text("Mean flux density of the pulsar at 1400 MHz (mJy),"),
        Text("averaged over the pulse period."), Text("1 mJy = 10⁻²⁹ W m⁻² Hz⁻¹"), Ref(Catalogue)}},
      {"Form27",
       {Title("Max integration bandwidth without de-dispersion"),
        Formula("Δt ≅ 4.15 · 10⁶ ms · ( f1⁻² − f2⁻² ) · DM"),
        Text("Δt   delay between the frequencies f1 and f2 (MHz) of the band (ms)"),
        Text("DM   dispersion measure (cm⁻³ pc)"),
        Text("The bandwidth is widened until the delay across it reaches half"),
        Text("the W50 pulse width: a wider band smears the pulse unless it is"),
        Text("de-dispersed."), Ref(PulsarHandbook)}},
      {"Form28",
       {Title("Expected S/N of the pulsar"),
        Fraction("S/N  =  ", "Smean · G · √(tint · Δf)", "Tsys · √( W / (P − W) )"),
        Text("Smean  mean flux density of the pulsar (Jy)"),
        Text("G      antenna gain = Ae / 2k (K/Jy)"),
        Text("tint   integration time (s)      Δf   bandwidth (Hz)"),
        Text("Tsys   system noise temperature (K)"),
        Text("W      pulse width W50 (s)      P   pulse period (s)"), Ref(PulsarHandbook)}},
      {"Form29",
       {Title("HPBW  Half-power beam width"), Fraction("HPBW  =  k · ", "λ", "D"),
        Text("HPBW   full width of the main beam at half power (degrees)"),
        Text("k      beam-width constant, taken as 70°"),
        Text("λ      wavelength (m)      D   dish diameter (m)"), Ref(AntennaBook),
        Ref(RadioAstronomy), Ref("Amateur radio astronomy handbooks: HPBW ≈ 70 λ / D")}},
      {"Form46",
       {Title("W50  Pulse width"), Text("Width of the pulse at 50 % of its peak (ms)."),
        Text("Indicative only: the width changes with the observing frequency."), Ref(Catalogue)}},
      {"Form48",
       {Title("Age  Characteristic age"), Fraction("τ  =  ", "P", "2 Ṗ"),
        Text("P   period (s)      Ṗ = dP/dt   period derivative (s/s)"),
        Text("From the spin-down law dΩ/dt = −K Ωⁿ with braking index n = 3"),
        Text("and an initial period much shorter than today's; shown in years."),
        Ref("https://www.atnf.csiro.au/research/pulsar/psrcat/psrcat_help.html"),
        Ref(PulsarHandbook)}},
      {"Form49",
       {Title("Distance"), Text("The catalogue's best estimate of the distance (kpc):"),
        Text("from the DM and a model of the Galaxy's free electrons, unless an"),
        Text("independent estimate exists: parallax, association with a cluster or"),
        Text("remnant, or HI absorption limits."), Text("1 kpc = 3261.56 light years"),
        Ref("https://www.atnf.csiro.au/research/pulsar/psrcat/psrcat_help.html")}},
      {"Form50",
       {Title("G/T ratio"), Formula("G/T = G − 10 · log10 ( Tsystem )      (dB/K)"),
        Text("G         antenna gain (dBi)"), Text("Tsystem   system noise temperature (K)"),
        Text("The figure of merit of a receiving station: higher is better.")}},
      {"Form51",
       {Title("Noise floor"), Formula("N = 10 · log10 ( k · T0 · 1000 ) + NF + 10 · log10 ( BW )"),
        Text("N    noise floor (dBm)"), Text("k    Boltzmann's constant, 1.38 · 10⁻²³ J/K"),
        Text("T0   290 K      NF   system noise figure (dB)"), Text("BW   bandwidth (Hz)")}},
  };
  return pictures;
}

void SetFont(TCanvas& C, const char* Name, int Size, TFontStyles Style = {},
             TColor Color = clBlack) {
  C.Font()->SetName(Name);
  C.Font()->SetSize(Size);
  C.Font()->SetStyle(Style);
  C.Font()->SetColor(Color);
}

// Writes Text in the canvas font. A picture is complete or not made: a character no font of
// the program has would show as an empty box.
void Put(TCanvas& C, int X, int Y, const String& Text) {
  const String missing = UndrawableCharacters(*C.Font(), Text);
  if (!missing.empty())
    throw Exception("No font of the program draws \"" + missing + "\" of \"" + Text + "\"");
  C.TextOut(X, Y, Text);
}

constexpr int Margin = 16;
constexpr int FormulaIndent = 12;
constexpr int FormulaSize = 16, FractionSize = 18, SmallestFormulaSize = 9;

// The formula font, as large as fits the picture's width for the texts Width measures.
template <class W>
void FitFormulaFont(TCanvas& C, int Size, W Width) {
  for (; Size > SmallestFormulaSize; --Size) {
    SetFont(C, "Times New Roman", Size, {fsItalic});
    if (Width() <= PictureWidth - 2 * Margin - FormulaIndent) return;
  }
  SetFont(C, "Times New Roman", SmallestFormulaSize, {fsItalic});
}

int DrawFraction(TCanvas& C, const TLine& L, int X, int Y) {
  auto barWidth = [&] {
    return std::max(C.TextWidth(L.Numerator), C.TextWidth(L.Denominator)) + 12;
  };
  FitFormulaFont(C, FractionSize,
                 [&] { return C.TextWidth(L.Lead) + barWidth() + 4 + C.TextWidth(L.Tail); });
  const int h = C.TextHeight("Ag");
  const int numW = C.TextWidth(L.Numerator), denW = C.TextWidth(L.Denominator);
  const int barW = barWidth();
  const int leadW = C.TextWidth(L.Lead);
  const int barY = Y + h + 4;
  Put(C, X, barY - h / 2, L.Lead);
  const int barX = X + leadW;
  Put(C, barX + (barW - numW) / 2, barY - h - 2, L.Numerator);
  C.Pen()->SetColor(clBlack);
  C.Pen()->SetWidth(1);
  C.MoveTo(barX, barY);
  C.LineTo(barX + barW + 1, barY);
  Put(C, barX + (barW - denW) / 2, barY + 3, L.Denominator);
  Put(C, barX + barW + 4, barY - h / 2, L.Tail);
  return 2 * h + 18;
}

// Writes a label of the sky diagram in the canvas font on a white cell, which breaks the grid
// lines behind it. The cell must hold nothing but background and grid yet: a label that
// would overlap another, the frame or a curve is a mistake in the layout, and the picture is
// not made.
void PutLabel(TCanvas& C, int X, int Y, const String& Text, TColor Grid) {
  const TRect cell{X, Y, X + C.TextWidth(Text), Y + C.TextHeight(Text)};
  for (int y = cell.Top; y < cell.Bottom; ++y)
    for (int x = cell.Left; x < cell.Right; ++x) {
      const TColor c = C.GetPixel(x, y);
      if (c != clWhite && c != Grid)
        throw Exception("The label \"" + Text + "\" would cover a line or another label at " +
                        IntToStr(x) + ", " + IntToStr(y));
    }
  C.Brush()->SetStyle(bsSolid);
  C.Brush()->SetColor(clWhite);
  Put(C, X, Y, Text);
  C.Brush()->SetStyle(bsClear);
}

// Sky noise against frequency on logarithmic scales: the galactic background (its range from
// the cold sky to the galactic centre), the 3 K cosmic background and the atmosphere at
// zenith, with the wavelength along the top. A curve ends where it leaves the plot. Top is
// where the lines above end; the diagram's own labels start 28 pixels above its frame.
void DrawSkyDiagram(TCanvas& C, int Top) {
  const TSkyPlot& sky = SkyPlot();
  const TRect plot = sky.Frame;
  if (Top > plot.Top - 28) throw Exception("The text above the sky diagram runs into it");
  const double f0 = sky.LogMHzLeft, f1 = sky.LogMHzRight;
  const double t0 = sky.LogKBottom, t1 = sky.LogKTop;
  const TColor grid = clGray;
  auto px = [&](double logF) { return sky.Column(logF); };
  auto py = [&](double logT) { return sky.Row(logT); };
  C.Pen()->SetWidth(1);
  C.Brush()->SetStyle(bsClear);
  C.Pen()->SetColor(grid);
  C.Pen()->SetStyle(psDot);
  for (int k = 1; k <= 3; ++k) {
    C.MoveTo(px(f0 + k), plot.Top);
    C.LineTo(px(f0 + k), plot.Bottom);
  }
  for (int k = 1; k <= 5; ++k) {
    C.MoveTo(plot.Left, py(t0 + k));
    C.LineTo(plot.Right, py(t0 + k));
  }
  C.Pen()->SetStyle(psSolid);
  C.Pen()->SetColor(clBlack);
  C.Rectangle(plot.Left, plot.Top, plot.Right + 1, plot.Bottom + 1);

  // A curve over the frequency range, in runs that stay within the temperature range; a run
  // ends at the point where the curve crosses the plot's edge.
  auto curve = [&](TColor Color, auto LogT) {
    C.Pen()->SetColor(Color);
    C.Pen()->SetWidth(2);
    std::vector<TPoint> pts;
    auto flush = [&] {
      if (pts.size() >= 2) C.Polyline(pts);
      pts.clear();
    };
    constexpr int steps = 400;
    double lastF = f0, lastT = LogT(f0);
    for (int i = 0; i <= steps; ++i) {
      const double lf = f0 + (f1 - f0) * i / steps, lt = LogT(lf);
      const bool inside = lt >= t0 && lt <= t1, wasInside = lastT >= t0 && lastT <= t1;
      if (i > 0 && inside != wasInside) {
        const double edge = (inside ? lastT : lt) < t0 ? t0 : t1;
        const double cf = lastF + (lf - lastF) * (edge - lastT) / (lt - lastT);
        pts.push_back(TPoint{px(cf), py(edge)});
        if (!inside) flush();
      }
      if (inside) pts.push_back(TPoint{px(lf), py(lt)});
      lastF = lf;
      lastT = lt;
    }
    flush();
    C.Pen()->SetWidth(1);
  };
  // Galactic synchrotron emission falls with a spectral index near -2.55. Away from the
  // galactic plane the sky is about 60 K times the wavelength in metres to the power 2.55
  // (990 K at 100 MHz, 27 K at 408 MHz, 1.1 K at 1420 MHz); towards the galactic centre it is
  // some twenty times that (about 550 K at 408 MHz).
  constexpr double index = -2.55;
  const double coldSky = std::log10(60.0) - index * std::log10(300.0 / 10.0);  // log10 K at 10 MHz
  const double centre = coldSky + std::log10(20.0);
  auto galactic = [&](double at10) { return [=](double lf) { return at10 + index * (lf - 1.0); }; };
  // The frequency at which the galactic line from at10 reaches logT.
  auto galacticAt = [&](double at10, double logT) { return 1.0 + (logT - at10) / index; };
  curve(clBlue, galactic(centre));
  curve(clBlue, galactic(coldSky));
  const double cosmic = std::log10(2.7);
  curve(clGreen, [&](double) { return cosmic; });
  // Zenith atmosphere: a few kelvin, with the water line at 22 GHz and oxygen near 60 GHz.
  curve(clRed, [](double lf) {
    const double f = std::pow(10.0, lf) / 1000.0;  // GHz
    const double t = 1.5 + 0.02 * f * f / 10.0 + 25.0 * std::exp(-std::pow((f - 22.2) / 3.0, 2)) +
                     280.0 * std::exp(-std::pow((f - 60.0) / 6.0, 2));
    return std::log10(t);
  });

  SetFont(C, "Arial", 8);
  const int h = C.TextHeight("Ag");
  // The end labels start or end at the plot's edges, the others are centred on their lines.
  auto along = [&](int x, const String& text) {
    const int w = C.TextWidth(text);
    return std::clamp(x - w / 2, plot.Left, plot.Right + 1 - w);
  };
  const char* const freqs[] = {"10 MHz", "100 MHz", "1 GHz", "10 GHz", "100 GHz"};
  const char* const waves[] = {"30 m", "3 m", "30 cm", "3 cm", "3 mm"};
  for (int k = 0; k <= 4; ++k) {
    const int x = px(f0 + k);
    PutLabel(C, along(x, freqs[k]), plot.Bottom + 4, freqs[k], grid);
    PutLabel(C, along(x, waves[k]), plot.Top - h - 2, waves[k], grid);
  }
  for (int k = 0; k <= 6; ++k) {
    const String label = k == 0 ? "1 K" : "10^" + IntToStr(k);
    PutLabel(C, plot.Left - C.TextWidth(label) - 6, py(t0 + k) - h / 2, label, grid);
  }
  PutLabel(C, plot.Left + (plot.Right - plot.Left - C.TextWidth("Frequency")) / 2,
           plot.Bottom + h + 8, "Frequency", grid);
  PutLabel(C, 4, plot.Top - 2 * h - 6, "T sky (K)", grid);

  // The curves' labels. The galactic lines fall to the right, so a label right of one keeps
  // clear of it at its bottom row, a label left of one at its top row. The galactic centre's
  // stands right of its line above 1.5 GHz, the cold sky's left of its line near 10 K, so
  // that neither crosses the columns of 100 MHz to 1.4 GHz where the lines are read; the
  // cosmic background's lies on the left, just above its line; the atmosphere's beside the
  // oxygen peak, between grid lines.
  SetFont(C, "Arial", 8, {fsBold}, clBlue);
  const int gap = 6;
  auto logTAt = [&](int y) { return sky.LogKOfRow(y); };
  const char* const centreLabel = "galactic centre";
  const int centreY = py(galactic(centre)(std::log10(1500.0))) - h;
  PutLabel(C, px(galacticAt(centre, logTAt(centreY + h))) + gap, centreY, centreLabel, grid);
  const char* const coldLabel = "cold sky";
  const int coldY = py(1.5) - h / 2;
  PutLabel(C, px(galacticAt(coldSky, logTAt(coldY))) - gap - C.TextWidth(coldLabel), coldY,
           coldLabel, grid);
  C.Font()->SetColor(clGreen);
  PutLabel(C, plot.Left + gap, py(cosmic) - h - 3, "3 K cosmic background", grid);
  C.Font()->SetColor(clRed);
  PutLabel(C, px(4.0) + gap, py(2.5) - h / 2, "atmosphere", grid);
}

}  // namespace

const std::vector<String>& Windows() {
  static const std::vector<String> windows = {
      "Form5",  "Form6",  "Form7",  "Form8",  "Form11", "Form17", "Form18", "Form19",
      "Form20", "Form21", "Form23", "Form24", "Form25", "Form26", "Form27", "Form28",
      "Form29", "Form46", "Form48", "Form49", "Form50", "Form51"};
  return windows;
}

String FileNameOf(const String& Window) { return "Info" + Window + ".png"; }

int TSkyPlot::Column(double LogMHz) const {
  const double share = (LogMHz - LogMHzLeft) / (LogMHzRight - LogMHzLeft);
  return Frame.Left + static_cast<int>(std::lround(share * (Frame.Right - Frame.Left)));
}

int TSkyPlot::Row(double LogK) const {
  const double share = (LogK - LogKBottom) / (LogKTop - LogKBottom);
  return Frame.Bottom - static_cast<int>(std::lround(share * (Frame.Bottom - Frame.Top)));
}

double TSkyPlot::LogKOfRow(double Row) const {
  return LogKBottom + (LogKTop - LogKBottom) * (Frame.Bottom - Row) / (Frame.Bottom - Frame.Top);
}

const TSkyPlot& SkyPlot() {
  // Below the picture's title, above the frequency labels.
  static const TSkyPlot plot{TRect{70, 75, PictureWidth - 20, PictureHeight - 48}};
  return plot;
}

void Draw(const String& Window, TBitmap& Bitmap) {
  const auto it = Pictures().find(Window);
  if (it == Pictures().end()) throw Exception("No information picture for " + Window);
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(PictureWidth, PictureHeight);
  TCanvas& C = *Bitmap.Canvas();
  C.Brush()->SetStyle(bsSolid);
  C.Brush()->SetColor(clWhite);
  C.FillRect(TRect{0, 0, PictureWidth, PictureHeight});
  C.Brush()->SetStyle(bsClear);

  const int margin = Margin;
  int y = 12;
  for (const TLine& line : it->second) {
    switch (line.Kind) {
      case TKind::Title:
        SetFont(C, "Arial", 14, {fsBold}, clNavy);
        Put(C, margin, y, line.Lead);
        y += C.TextHeight(line.Lead) + 14;
        break;
      case TKind::Formula:
        FitFormulaFont(C, FormulaSize, [&] { return C.TextWidth(line.Lead); });
        Put(C, margin + FormulaIndent, y, line.Lead);
        y += C.TextHeight(line.Lead) + 14;
        break;
      case TKind::Fraction: y += DrawFraction(C, line, margin + FormulaIndent, y) + 4; break;
      case TKind::Text:
        SetFont(C, "Arial", 10);
        Put(C, margin, y, line.Lead);
        y += C.TextHeight(line.Lead) + 4;
        break;
      case TKind::Reference:
        SetFont(C, "Arial", 8, {fsItalic}, clGray);
        y += 4;
        Put(C, margin, y, line.Lead);
        y += C.TextHeight(line.Lead);
        break;
      case TKind::SkyDiagram: DrawSkyDiagram(C, y); break;
    }
  }
}

}  // namespace InfoPictures
