#include "DOV_textlabel.h"

#include <algorithm>

#include "DOV_math1.h"
#include "DOV_streams.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr const char* kRootTag = "custtextlbl";
constexpr Integer kMinLayer = 1;
constexpr Integer kMaxLayer = 16;
constexpr Integer kMaxIndent = 255;
constexpr int kPositionWidth = 12;  // " 1.000E+0002"
constexpr Integer kBothSeparators = 3;

enum TLabelTag {
  tagPosXY,
  tagColors,
  tagShadowOfs,
  tagLayer,
  tagTransparent,
  tagVisible,
  tagAlignment,
  tagAttachMode,
  tagFont,
  tagStyle,
  tagCaption,
  tagEnd,
  tagDummy
};
const TStrArray kLabelTags = {"posxy",   "colors",       "shadowofs",  "layer", "transparent",
                              "visible", "alignment",    "attachmode", "font",  "style",
                              "caption", "/custtextlbl", "dummy"};

// Six upper-case hex digits of the colour's low 24 bits.
String Hex6(TColor c) {
  static const char digits[] = "0123456789ABCDEF";
  const auto v = static_cast<std::uint32_t>(c) & 0xFFFFFFu;
  String s(6, '0');
  for (int i = 0; i < 6; ++i) s[static_cast<size_t>(5 - i)] = digits[(v >> (4 * i)) & 15];
  return s;
}

Integer DecimalOf(const String& s) {
  Integer pos = 1;
  return ScanDecimal(s, pos);
}

TColor HexOf(const String& s) {
  Integer pos = 1;
  return static_cast<TColor>(ScanHex(s, pos));
}

Double RealOf(const String& s) {
  Integer pos = 1;
  return ScanFPNum(s, true, kBothSeparators, pos);
}

// The index of Name in a value-name table, -1 when it is not there (case matters).
template <size_t N>
int IndexIn(const char* const (&Table)[N], const String& Name) {
  for (size_t i = 0; i < N; ++i)
    if (Name == Table[i]) return static_cast<int>(i);
  return -1;
}

String FontStyleText(TFontStyles s) {
  String text;
  for (int i = 0; i < 4; ++i)
    if (s.Contains(static_cast<TFontStyle>(i))) {
      if (!text.empty()) text += ' ';
      text += xmlFontStyle[i];
    }
  return text;
}

TFontStyles FontStylesOf(const String& text) {
  TFontStyles s;
  size_t p = 0;
  while (p < text.size()) {
    const size_t q = std::min(text.find(' ', p), text.size());
    const int ix = IndexIn(xmlFontStyle, text.substr(p, q - p));
    if (ix >= 0) s = s + static_cast<TFontStyle>(ix);
    p = q + 1;
  }
  return s;
}

}  // namespace

TCustomTextLabel::TCustomTextLabel() : FFont(std::make_unique<TFont>()) {
  FFont->SetColor(clBlack);
}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::SetTxtLblPosX(Double Value) {
  FPosX = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblPosY(Double Value) {
  FPosY = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDx(Integer Value) {
  FXShadow = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDy(Integer Value) {
  FYShadow = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorShadow(TColor Value) {
  FColorShadow = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment Value) {
  FVertAlign = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode Value) {
  FAttachDat = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBkg(TColor Value) {
  FColorBkg = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBrd(TColor Value) {
  FColorBrd = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblTranspar(bool Value) {
  FTransPar = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblMode(TTxtLblMode Value) {
  FMode = Value;
  Changed();
}
void TCustomTextLabel::SetTxtLblVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblLayer(Integer Value) {
  if (Value < kMinLayer || Value > kMaxLayer) return;
  FLayer = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblFont(TFont* Value) {
  FFont->Assign(Value);
  Changed();
}

void TCustomTextLabel::SetTxtLblCaption(const String& Value) {
  FCaption = Value;
  for (char& c : FCaption)
    if (static_cast<unsigned char>(c) < ' ' && c != '\n') c = ' ';
  Changed();
}

void TCustomTextLabel::CopyFields(const TCustomTextLabel& Src) {
  FPosX = Src.FPosX;
  FPosY = Src.FPosY;
  FLayer = Src.FLayer;
  FXShadow = Src.FXShadow;
  FYShadow = Src.FYShadow;
  FColorShadow = Src.FColorShadow;
  FAlignment = Src.FAlignment;
  FVertAlign = Src.FVertAlign;
  FAttachDat = Src.FAttachDat;
  FColorBkg = Src.FColorBkg;
  FColorBrd = Src.FColorBrd;
  FTransPar = Src.FTransPar;
  FFont->Assign(Src.FFont.get());
  FCaption = Src.FCaption;
  FMode = Src.FMode;
  FVisible = Src.FVisible;
}

void TCustomTextLabel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomTextLabel*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  CopyFields(*src);
  OnChange = src->OnChange;
}

void TCustomTextLabel::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TCustomTextLabel*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}

// ---- XML ---------------------------------------------------------------------------------------

void TCustomTextLabel::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader,
                                          const String& DataID, Integer Indent) {
  const String in(static_cast<size_t>(std::clamp(Indent, 1, kMaxIndent)), ' ');
  const String in2 = in + "  ";
  auto line = [&](const String& s) { TextFile.WriteLn(s); };
  if (CreateHeader) line(in + XMLDeclarationLine);
  line("");
  line(in + XMLCommentLine("TCustomTextLabel"));
  line(in + XMLRootLine(kRootTag, "1.0", 0, DataID));
  line(in2 + "<posxy x=" + Str(FPosX, kPositionWidth, -1) + " y=" + Str(FPosY, kPositionWidth, -1) +
       " />");
  line(in2 + "<caption>" + FCaption + "</caption>");
  line(in2 + "<colors brd=$" + Hex6(FColorBrd) + " bg=$" + Hex6(FColorBkg) + " shdw=$" +
       Hex6(FColorShadow) + " />");
  line(in2 + "<shadowofs dx=" + IntToStr(FXShadow) + " dy=" + IntToStr(FYShadow) + " />");
  line(in2 + "<layer val=" + IntToStr(FLayer) + " />");
  line(in2 + "<transparent val=" + (FTransPar ? "1" : "0") + " />");
  line(in2 + "<visible val=" + (FVisible ? "1" : "0") + " />");
  line(in2 + "<alignment horiz=" + xmlAlignment[FAlignment] +
       " vert=" + xmlVerticalAlignment[FVertAlign] + " />");
  line(in2 + "<attachmode val=" + xmlTxtLblAttachMode[FAttachDat] + " />");
  line(in2 + "<font name=\"" + FFont->Name() + "\" size=" + IntToStr(FFont->Size()) + " color=$" +
       Hex6(FFont->Color()) + " style=\"" + FontStyleText(FFont->Style()) + "\" />");
  line(in2 + "<style val=" + xmlTxtLblMode[FMode] + " />");
  line(in + "</" + kRootTag + ">");
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  String id;
  if (!FindXMLRootInTextFile(TextFile, kRootTag, 0, DataID, id)) return false;
  // Read into a copy: a label element that breaks off changes nothing.
  TCustomTextLabel work;
  work.CopyFields(*this);
  String a, content;
  for (;;) {
    const Integer tag = ReadNextTagInTextFile(TextFile, kLabelTags, a, content);
    auto attr = [&](const char* name) { return ScanForXMLAttrib(a, name); };
    switch (tag) {
      case tagPosXY:
        work.FPosX = RealOf(attr("x"));
        work.FPosY = RealOf(attr("y"));
        break;
      case tagColors:
        work.FColorBrd = HexOf(attr("brd"));
        work.FColorBkg = HexOf(attr("bg"));
        work.FColorShadow = HexOf(attr("shdw"));
        break;
      case tagShadowOfs:
        work.FXShadow = DecimalOf(attr("dx"));
        work.FYShadow = DecimalOf(attr("dy"));
        break;
      case tagLayer: {
        const Integer layer = DecimalOf(attr("val"));
        if (layer >= kMinLayer && layer <= kMaxLayer) work.FLayer = layer;
        break;
      }
      case tagTransparent: work.FTransPar = DecimalOf(attr("val")) == 1; break;
      case tagVisible: work.FVisible = DecimalOf(attr("val")) == 1; break;
      case tagAlignment: {
        const int h = IndexIn(xmlAlignment, attr("horiz"));
        const int v = IndexIn(xmlVerticalAlignment, attr("vert"));
        if (h >= 0) work.FAlignment = static_cast<TAlignment>(h);
        if (v >= 0) work.FVertAlign = static_cast<TVerticalAlignment>(v);
        break;
      }
      case tagAttachMode: {
        const int m = IndexIn(xmlTxtLblAttachMode, attr("val"));
        if (m >= 0) work.FAttachDat = static_cast<TTxtLblAttachMode>(m);
        break;
      }
      case tagFont: {
        const String name = attr("name");
        if (!name.empty()) work.FFont->SetName(name);
        const Integer size = DecimalOf(attr("size"));
        if (size > 0) work.FFont->SetSize(size);
        work.FFont->SetColor(HexOf(attr("color")));
        work.FFont->SetStyle(FontStylesOf(attr("style")));
        break;
      }
      case tagStyle: {
        const int m = IndexIn(xmlTxtLblMode, attr("val"));
        if (m >= 0) work.FMode = static_cast<TTxtLblMode>(m);
        break;
      }
      case tagCaption: work.FCaption = content; break;
      case tagEnd:
        CopyFields(work);
        Changed();
        return true;
      default:
        if (TextFile.Eof()) return false;
        break;
    }
  }
}
