#include "DOV_sdlcolors.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "RtlRandom.h"
#include "TextFile.h"
#include "SysUtils.h"

namespace {

constexpr Integer kDefaultNrOfColors = 1000;
constexpr Double kMaxSquaredDistance = 3.0 * 255 * 255;  // 195075: black against white

inline Integer Red(TColor c) { return GetRValue(c); }
inline Integer Green(TColor c) { return GetGValue(c); }
inline Integer Blue(TColor c) { return GetBValue(c); }

// The run-time's Round: half to even. Values that are no number, or beyond the 32-bit range
// (from a NaN or huge argument), cannot become an integer: they give 0 or saturate.
inline Integer RoundEven(Double x) {
  if (std::isnan(x)) return 0;
  return static_cast<Integer>(std::clamp(std::nearbyint(x), -2147483648.0, 2147483647.0));
}

// Fractions and proportions clamped to 0 ... 1, NaN read as 0.
inline Double Clamp01(Double x) { return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0); }

inline Integer TruncChannel(Double x) {
  return std::isnan(x) ? 0 : static_cast<Integer>(std::trunc(x));
}

TColor FromChannels(Integer r, Integer g, Integer b) { return RGB(r, g, b); }

const char kHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hex digits from position i (a leading "$" skipped) up to the first other character.
TColor HexFrom(const String& s, size_t i) {
  if (i < s.size() && s[i] == '$') ++i;
  std::uint32_t v = 0;
  for (; i < s.size(); ++i) {
    const int d = HexDigitValue(s[i]);
    if (d < 0) break;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return static_cast<TColor>(v);
}

}  // namespace

// ---- tables ----------------------------------------------------------------------------------

const std::array<TColor, 47> PredefinedColors = {0x000000,
                                                 0x000080,
                                                 0x008000,
                                                 0x008080,
                                                 0x800000,
                                                 0x800080,
                                                 0x808000,
                                                 0x808080,
                                                 0xC0C0C0,
                                                 0x0000FF,
                                                 0x00FF00,
                                                 0x00FFFF,
                                                 0xFF0000,
                                                 0xFF00FF,
                                                 0xFFFF00,
                                                 0xFFFFFF,
                                                 0xC0DCC0,
                                                 0xF0CAA6,
                                                 0xF0FBFF,
                                                 0xA4A0A0,
                                                 SystemColor(0x0A),
                                                 SystemColor(0x02),
                                                 SystemColor(0x0C),
                                                 SystemColor(0x01),
                                                 SystemColor(0x0F),
                                                 SystemColor(0x14),
                                                 SystemColor(0x10),
                                                 SystemColor(0x12),
                                                 SystemColor(0x09),
                                                 clDefault,
                                                 SystemColor(0x11),
                                                 SystemColor(0x0D),
                                                 SystemColor(0x0E),
                                                 SystemColor(0x0B),
                                                 SystemColor(0x03),
                                                 SystemColor(0x13),
                                                 SystemColor(0x18),
                                                 SystemColor(0x17),
                                                 SystemColor(0x04),
                                                 SystemColor(0x07),
                                                 clNone,
                                                 SystemColor(0x00),
                                                 SystemColor(0x15),
                                                 SystemColor(0x16),
                                                 SystemColor(0x05),
                                                 SystemColor(0x06),
                                                 SystemColor(0x08)};

const std::vector<TColor> ColorArray_Rainbow = {0x400020, 0x800060, 0xEF1200, 0xF56E00,
                                                0xFFF400, 0x00FF18, 0x00F6FF, 0x00C1FF,
                                                0x0013FF, 0x00008D, 0x000040};
const std::vector<TColor> ColorArray_Geo1 = {0xDED2BD, 0x639F63, 0x89BA88, 0xA7CFAD,
                                             0xC5E5D2, 0xCBF1F5, 0x96CEEA, 0x6CAED8,
                                             0x3586BD, 0x426594, 0xF0FAFC};
const std::vector<TColor> ColorArray_Geo2 = {0xDFAE7F, 0xDEB68C, 0xE3BE9B, 0xE2C9AD,
                                             0xDCCCBB, 0x90BBAC, 0x99C9C6, 0xA4D7DA,
                                             0xA1C8DA, 0x9AB6C5, 0x96ACC8};
const std::vector<TColor> ColorArray_Geo3 = {0xFF8A2B, 0xFF9C43, 0xFFAF61, 0xFFCA89,
                                             0xF9D1A8, 0x4AA885, 0x5DCAC2, 0x74EDF4,
                                             0x6DC7F4, 0x5F9CC0, 0x5685C7};
const std::vector<TColor> ColorArray_Circle = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                                               0xFF0000, 0xFF00FF, 0x0000FF};
const std::vector<TColor> ColorArray_MorgenStemning = {0x000000, 0x4E2F0E, 0x742880, 0x711BC2,
                                                       0x4C61EF, 0x2AFBFF, 0xFFFFFF};
const std::vector<TColor> ColorArray_Contrast = {0x000000, 0xFF0000, 0x008000, 0x0000FF,
                                                 0x0080FF, 0x808080, 0x404080};

// ---- free routines ---------------------------------------------------------------------------

TColor InterpolateColor(TColor c1, TColor c2, Double frac) {
  frac = Clamp01(frac);
  auto ch = [frac](Integer a, Integer b) { return TruncChannel(a + (b - a) * frac); };
  return FromChannels(ch(Red(c1), Red(c2)), ch(Green(c1), Green(c2)), ch(Blue(c1), Blue(c2)));
}

TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, Double frac) {
  frac = Clamp01(frac);
  if (frac <= 0.5) {
    auto ch = [frac](Integer a, Integer b) { return TruncChannel(a + 2 * frac * (b - a)); };
    return FromChannels(ch(Red(c1), Red(c2)), ch(Green(c1), Green(c2)), ch(Blue(c1), Blue(c2)));
  }
  const Double f = 2 * (frac - 0.5);
  auto ch = [f](Integer a, Integer b) { return TruncChannel(a + f * (b - a)); };
  return FromChannels(ch(Red(c2), Red(c3)), ch(Green(c2), Green(c3)), ch(Blue(c2), Blue(c3)));
}

TColor MeanColor(TColor c1, TColor c2) { return InterpolateColor(c1, c2, 0.5); }

TColor ReverseRGBColor(TColor Color) { return FromChannels(Blue(Color), Green(Color), Red(Color)); }

TColor InvertColor(TColor Color) {
  return FromChannels(255 - Red(Color), 255 - Green(Color), 255 - Blue(Color));
}

String ColorToHexStr(TColor Color) {
  const auto v = static_cast<std::uint32_t>(Color);
  String s(8, '0');
  for (int i = 0; i < 8; ++i) s[static_cast<size_t>(7 - i)] = kHexDigits[(v >> (4 * i)) & 15];
  return s;
}

TColor HexStrToColor(const String& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == String::npos) return 0;
  return HexFrom(s.substr(0, s.find_last_not_of(' ') + 1), a);
}

Integer RGBtoGray(Integer r, Integer g, Integer b) {
  // n / 100 is exact at the ties, so rounding it half to even is the exact rule.
  const long n = 30L * r + 59L * g + 11L * b;
  return RoundEven(static_cast<Double>(n) / 100.0);
}

TColor RGBtoGrayColor(Integer r, Integer g, Integer b) {
  const Integer v = RGBtoGray(r, g, b);
  return FromChannels(v, v, v);
}

Integer ColorToGray(TColor Color) { return RGBtoGray(Red(Color), Green(Color), Blue(Color)); }
TColor ColorToGrayColor(TColor Color) {
  return RGBtoGrayColor(Red(Color), Green(Color), Blue(Color));
}

Double RGBColorDistance(TColor c1, TColor c2) {
  const Double dr = Red(c1) - Red(c2), dg = Green(c1) - Green(c2), db = Blue(c1) - Blue(c2);
  return std::sqrt((dr * dr + dg * dg + db * db) / kMaxSquaredDistance);
}

void RGBtoCMY(Byte r, Byte g, Byte b, Double& c, Double& m, Double& y) {
  c = 1 - r / 255.0;
  m = 1 - g / 255.0;
  y = 1 - b / 255.0;
}

void CMYtoRGB(Double c, Double m, Double y, Byte& r, Byte& g, Byte& b) {
  auto ch = [](Double v) { return static_cast<Byte>(RoundEven((1 - Clamp01(v)) * 255)); };
  r = ch(c);
  g = ch(m);
  b = ch(y);
}

void CMYtoCMYK(Double& c, Double& m, Double& y, Double& k) {
  k = std::min({c, m, y});
  c -= k;
  m -= k;
  y -= k;
}

void CMYKtoCMY(Double& c, Double& m, Double& y, Double k) {
  c = std::clamp(c + k, 0.0, 1.0);
  m = std::clamp(m + k, 0.0, 1.0);
  y = std::clamp(y + k, 0.0, 1.0);
}

void RGBtoHSI(Integer r, Integer g, Integer b, Double& h, Double& s, Double& i) {
  // Ties for the largest go to red, then green, then blue.
  const Integer mx = std::max({r, g, b});
  const Integer mn = std::min({r, g, b});
  i = mx / 255.0;
  if (mx == 0) {
    s = 0;
    h = 0;
    return;
  }
  s = static_cast<Double>(mx - mn) / mx;
  if (s == 0) {
    h = -1;
    return;
  }
  const Double d = mx - mn;
  if (r == mx)
    h = (g - b) / d;
  else if (g == mx)
    h = (b - r) / d + 2;
  else
    h = (r - g) / d + 4;
  h *= 60;
  if (h < 0) h += 360;
}

void HSItoRGB(Double h, Double s, Double i, Integer& r, Integer& g, Integer& b) {
  s = Clamp01(s);
  i = Clamp01(i);
  if (!(h >= 0 && h < 360)) h = 0;
  const Double v = 255 * i;
  if (s == 0) {
    r = g = b = RoundEven(v);
    return;
  }
  const int k = static_cast<int>(std::trunc(h / 60));
  const Double f = h / 60 - k;
  const Double p = 255 * i * (1 - s);
  const Double q = 255 * i * (1 - f * s);
  const Double t = 255 * i * (1 - (1 - f) * s);
  Double rr, gg, bb;
  switch (k) {
    case 0:
      rr = v;
      gg = t;
      bb = p;
      break;
    case 1:
      rr = q;
      gg = v;
      bb = p;
      break;
    case 2:
      rr = p;
      gg = v;
      bb = t;
      break;
    case 3:
      rr = p;
      gg = q;
      bb = v;
      break;
    case 4:
      rr = t;
      gg = p;
      bb = v;
      break;
    default:
      rr = v;
      gg = p;
      bb = q;
      break;
  }
  r = RoundEven(rr);
  g = RoundEven(gg);
  b = RoundEven(bb);
}

TColor WavelengthToColor(Integer nanometres, Double gamma) {
  const Double w = nanometres;
  Double r = 0, g = 0, b = 0;
  if (w >= 380 && w < 440) {
    r = (440 - w) / 60;
    b = 1;
  } else if (w >= 440 && w < 490) {
    g = (w - 440) / 50;
    b = 1;
  } else if (w >= 490 && w < 510) {
    g = 1;
    b = (510 - w) / 20;
  } else if (w >= 510 && w < 580) {
    r = (w - 510) / 70;
    g = 1;
  } else if (w >= 580 && w < 645) {
    r = 1;
    g = (645 - w) / 65;
  } else if (w >= 645 && w < 780) {
    r = 1;
  }
  Double factor;
  if (w > 700)
    factor = 0.3 + 0.7 * (780 - w) / 80;
  else if (w >= 420)
    factor = 1;
  else
    factor = 0.3 + 0.7 * (w - 380) / 40;
  if (factor < 0) factor = 0;
  auto ch = [&](Double c) -> Integer {
    if (factor == 0 || c == 0) return 0;
    return RoundEven(255 * std::exp(gamma * std::log(c * factor)));
  };
  return FromChannels(ch(r), ch(g), ch(b));
}

TColor RandomColor() {
  const Integer b = Random(256);
  const Integer g = Random(256);
  const Integer r = Random(256);
  return FromChannels(r, g, b);
}

TColor RandomColor(Byte rLo, Byte rHi, Byte gLo, Byte gHi, Byte bLo, Byte bHi) {
  const Integer b = bLo + Random(bHi - bLo + 1);
  const Integer g = gLo + Random(gHi - gLo + 1);
  const Integer r = rLo + Random(rHi - rLo + 1);
  return FromChannels(r, g, b);  // RGB keeps each channel to 8 bits
}

String ObtainColorName(TColor Color) {
  for (size_t i = 0; i < AllDOVColors.size(); ++i)
    if (AllDOVColors[i] == Color) return AllDOVColorNames[i];
  return ColorToHexStr(Color);
}

// ---- palette component -------------------------------------------------------------------------

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FColArray.assign(kDefaultNrOfColors, 0);
  } catch (const std::bad_alloc&) {
    throw ESDLColArrayError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  FNColors = kDefaultNrOfColors;
  FillByInterpolation(0, ColorArray_Rainbow);
}

void TColorArray::Changed() {
  if (OnChange) OnChange(this);
}

TColor TColorArray::GetColorElem(Integer ix) const {
  if (FColArray.empty()) return 0;
  ix = std::clamp(ix, 1, FNColors);
  return FColArray[static_cast<size_t>(ix - 1)];
}

void TColorArray::SetColorElem(Integer ix, TColor Value) {
  if (ix < 1 || ix > FNColors) return;
  FColArray[static_cast<size_t>(ix - 1)] = Value;
  Changed();
}

void TColorArray::SetSize(Integer n) {
  if (n > 0 && n != FNColors) Resize(n);
}

bool TColorArray::Resize(Integer n) {
  if (n == FNColors) return true;
  if (n < 1) return false;
  try {
    FColArray.resize(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    throw ESDLColArrayError(ComponentErrorMessage(this, "not enough memory"));
  }
  FNColors = n;
  Changed();
  return true;
}

void TColorArray::Fill(TColor Color) {
  std::fill(FColArray.begin(), FColArray.end(), Color);
  Changed();
}

void TColorArray::FillByInterpolation(Integer DiscreteLevels, const std::vector<TColor>& Colors) {
  if (Colors.empty()) return;
  if (Colors.size() == 1) {
    Fill(Colors[0]);
    return;
  }
  const Integer n = FNColors;
  const Integer H = static_cast<Integer>(Colors.size()) - 1;
  const Integer L = DiscreteLevels;
  for (Integer i = 1; i <= n; ++i) {
    Integer k = i;
    if (L > 0)
      k = RoundEven(RoundEven(static_cast<Double>(i) / n * L) * static_cast<Double>(n) / L);
    const Integer j = std::clamp(
        static_cast<Integer>(std::trunc(static_cast<Double>(H) * (k - 1) / n)), 0, H - 1);
    const Double frac = static_cast<Double>(H) * k / n - j;
    FColArray[static_cast<size_t>(i - 1)] =
        InterpolateColor(Colors[static_cast<size_t>(j)], Colors[static_cast<size_t>(j + 1)], frac);
  }
  Changed();
}

void TColorArray::MirrorColors() {
  std::reverse(FColArray.begin(), FColArray.end());
  Changed();
}

void TColorArray::InvertColors() {
  for (TColor& c : FColArray) c = InvertColor(c);
  Changed();
}

bool TColorArray::IsEqual(const TColorArray* OtherColorArray) const {
  return OtherColorArray != nullptr && OtherColorArray->FNColors == FNColors &&
         OtherColorArray->FColArray == FColArray;
}

Integer TColorArray::ColorToIndex(TColor cl, Double& distance) const {
  distance = 1;
  Integer best = 1;
  for (Integer i = 1; i <= FNColors; ++i) {
    const Double d = RGBColorDistance(cl, FColArray[static_cast<size_t>(i - 1)]);
    if (d < distance) {
      distance = d;
      best = i;
    }
  }
  return best;
}

void TColorArray::CopyFrom(const TColorArray* ColArraySource, Integer SourceElemLo,
                           Integer SourceElemHi, Integer DestElem) {
  if (ColArraySource == nullptr) return;
  const Integer srcSize = ColArraySource->Size();
  Integer lo = std::clamp(SourceElemLo, 1, std::max(srcSize, 1));
  Integer hi = std::clamp(SourceElemHi, 1, std::max(srcSize, 1));
  if (lo > hi) std::swap(lo, hi);
  // Read everything first: the source may be this palette.
  std::vector<TColor> src;
  for (Integer k = lo; k <= hi; ++k) src.push_back(ColArraySource->GetColorElem(k));
  for (Integer k = lo; k <= hi; ++k) {
    const Int64 dest = static_cast<Int64>(DestElem) + (k - lo);
    if (dest >= 1 && dest <= FNColors)
      FColArray[static_cast<size_t>(dest - 1)] = src[static_cast<size_t>(k - lo)];
  }
  Changed();
}

void TColorArray::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColorArray*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  FColArray = src->FColArray;
  FNColors = src->FNColors;
}

void TColorArray::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TColorArray*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

// ---- palette file ------------------------------------------------------------------------------

String TColorArray::FileText(Integer FirstElem, Integer LastElem) const {
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  FirstElem = std::max(FirstElem, 1);
  LastElem = std::min(LastElem, FNColors);
  String text = IntToStr(FirstElem) + " " + IntToStr(LastElem) + "\r\n";
  for (Integer i = FirstElem; i <= LastElem; ++i)
    text += ColorToHexStr(FColArray[static_cast<size_t>(i - 1)]) + "\r\n";
  return text;
}

bool TColorArray::WriteToOpenTextFile(TTextFile& TextFile, Integer FirstElem,
                                      Integer LastElem) const {
  try {
    TextFile.Write(FileText(FirstElem, LastElem));
    return true;
  } catch (const EInOutError&) {
    return false;
  }
}

bool TColorArray::StoreOnFile(Integer FirstElem, Integer LastElem, const String& FileName) const {
  return WriteFileReplacing(FileName, FileText(FirstElem, LastElem));
}

bool TColorArray::ReadFromOpenTextFile(TTextFile& TextFile, bool AdjustSize) {
  Integer first, last;
  try {
    first = TextFile.ReadInteger();
    last = TextFile.ReadInteger();
    TextFile.ReadLn();
  } catch (const EInOutError&) {
    return false;
  }
  if (AdjustSize) {
    if (last > MaxFileColors) return false;
    try {
      Resize(last);
    } catch (const ESDLColArrayError&) {
      return false;
    }
  }
  if (FNColors < last) return false;
  Int64 ix = first;
  for (; ix <= last && !TextFile.Eof(); ++ix) {
    String line;
    try {
      line = TextFile.ReadLine();
    } catch (const EInOutError&) {
      continue;  // a line that cannot be read is skipped
    }
    size_t p = 0;
    while (p < line.size() && line[p] == ' ') ++p;
    SetColorElem(static_cast<Integer>(ix), HexFrom(line, p));
  }
  // Lines missing at the end read as empty: black. Only indexes of the palette can change.
  for (ix = std::max<Int64>(ix, 1); ix <= last; ++ix) SetColorElem(static_cast<Integer>(ix), 0);
  Changed();
  return true;
}

bool TColorArray::LoadFromFile(const String& FileName, bool AdjustSize) {
  try {
    TTextFile f(FileName);
    f.Reset();
    const bool ok = ReadFromOpenTextFile(f, AdjustSize);
    f.CloseFile();
    return ok;
  } catch (const Exception&) {
    return false;
  }
}
