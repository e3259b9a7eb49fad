#pragma once
// Colours and palettes: conversions between the toolkit's colour value ($00BBGGRR, a high
// byte $FF naming a system colour; the conversions use the three low bytes) and other colour
// models, interpolation, named colours, fixed palettes, and the palette component TColorArray
// with its text file.

#include <array>
#include <vector>

#include "DOV_sdlbase.h"
#include "Graphics.h"

class TTextFile;

// ---- tables ----------------------------------------------------------------------------------
// The 16 VGA colours, four extras, then the toolkit's special values (system colours, clNone,
// clDefault); entries 0 ... 15 are also the chart's layer colours.
extern const std::array<TColor, 47> PredefinedColors;

constexpr size_t kNrOfDOVColors = 466;
// Named colours, in parallel: rows 1 ... 19 the VGA colours with MoneyGreen, Cream and
// MedGray, then the X11 names (AliceBlue ... YellowGreen). Index 0 is row 1.
extern const std::array<TColor, kNrOfDOVColors> AllDOVColors;
extern const std::array<const char*, kNrOfDOVColors> AllDOVColorNames;

// The web colour set (the 140 names of the web standard, AliceBlue ... YellowGreen, with both
// Aqua/Cyan and Fuchsia/Magenta). Offered to users; the library itself does not use it.
constexpr size_t kNrOfX11Colors = 140;
extern const std::array<TColor, kNrOfX11Colors> X11Colors;

extern const std::vector<TColor> ColorArray_Rainbow;
extern const std::vector<TColor> ColorArray_Geo1;
extern const std::vector<TColor> ColorArray_Geo2;
extern const std::vector<TColor> ColorArray_Geo3;
extern const std::vector<TColor> ColorArray_Circle;
extern const std::vector<TColor> ColorArray_MorgenStemning;
extern const std::vector<TColor> ColorArray_Contrast;

// ---- free routines ---------------------------------------------------------------------------
// frac is clamped to 0 ... 1; each channel is truncated.
TColor InterpolateColor(TColor c1, TColor c2, Double frac);
TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, Double frac);
TColor MeanColor(TColor c1, TColor c2);
TColor ReverseRGBColor(TColor Color);  // red and blue exchanged, high byte 0
TColor InvertColor(TColor Color);      // 255 - channel, high byte 0
String ColorToHexStr(TColor Color);    // eight upper-case hex digits of the whole value
// Blanks stripped; a leading "$" skipped; hex digits up to the first other character (none: 0).
TColor HexStrToColor(const String& s);
// Round(0.3 r + 0.59 g + 0.11 b), half to even, computed exactly in integers.
Integer RGBtoGray(Integer r, Integer g, Integer b);
TColor RGBtoGrayColor(Integer r, Integer g, Integer b);
Integer ColorToGray(TColor Color);
TColor ColorToGrayColor(TColor Color);
// 0 for equal colours, 1 for black against white.
Double RGBColorDistance(TColor c1, TColor c2);
void RGBtoCMY(Byte r, Byte g, Byte b, Double& c, Double& m, Double& y);
void CMYtoRGB(Double c, Double m, Double y, Byte& r, Byte& g, Byte& b);
void CMYtoCMYK(Double& c, Double& m, Double& y, Double& k);
void CMYKtoCMY(Double& c, Double& m, Double& y, Double k);
// h in degrees (-1 for a grey), s and i in 0 ... 1.
void RGBtoHSI(Integer r, Integer g, Integer b, Double& h, Double& s, Double& i);
void HSItoRGB(Double h, Double s, Double i, Integer& r, Integer& g, Integer& b);
TColor WavelengthToColor(Integer nanometres, Double gamma);
// Draws of the run-time generator, blue first, then green, then red.
TColor RandomColor();
TColor RandomColor(Byte rLo, Byte rHi, Byte gLo, Byte gHi, Byte bLo, Byte bHi);
// The name of the first equal row of AllDOVColors, else ColorToHexStr.
String ObtainColorName(TColor Color);

// ---- palette component -------------------------------------------------------------------------
// Colours are numbered from 1. The palette file is text with CR LF line ends: "First Last",
// then one line per colour First ... Last with its value in eight upper-case hex digits.
class TColorArray : public TComponent {
public:
  // The most colours a palette file may ask for; a file asking for more is refused.
  static constexpr Integer MaxFileColors = 1 << 20;

  explicit TColorArray(TComponent* AOwner);  // 1000 colours, the rainbow
  String ClassName() const override { return "TColorArray"; }
  void Assign(TPersistent* Source) override;

  Integer Size() const { return FNColors; }
  void SetSize(Integer n);
  TColor GetColorElem(Integer ix) const;  // clamped to 1 ... Size; no storage gives 0
  void SetColorElem(Integer ix, TColor Value);
  bool Resize(Integer n);
  void Fill(TColor Color);
  // L > 0 gives L + 1 bands of equal colour. An empty list changes nothing, one colour fills
  // every entry.
  void FillByInterpolation(Integer DiscreteLevels, const std::vector<TColor>& Colors);
  void MirrorColors();
  void InvertColors();
  bool IsEqual(const TColorArray* OtherColorArray) const;
  Integer ColorToIndex(TColor cl, Double& distance) const;
  void CopyFrom(const TColorArray* ColArraySource, Integer SourceElemLo, Integer SourceElemHi,
                Integer DestElem);

  // False when the file cannot be written (the old file is then kept).
  bool StoreOnFile(Integer FirstElem, Integer LastElem, const String& FileName) const;
  // False when a write fails.
  bool WriteToOpenTextFile(TTextFile& TextFile, Integer FirstElem, Integer LastElem) const;
  // False on any failure, and for a file asking for more colours than there are (after
  // resizing with AdjustSize; more than MaxFileColors are never allocated).
  bool LoadFromFile(const String& FileName, bool AdjustSize);
  bool ReadFromOpenTextFile(TTextFile& TextFile, bool AdjustSize);

  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed();

private:
  String FileText(Integer FirstElem, Integer LastElem) const;
  Integer FNColors = 0;
  std::vector<TColor> FColArray;
};
