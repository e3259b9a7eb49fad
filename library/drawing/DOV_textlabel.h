#pragma once
// One free-floating text label of a chart: position, layer, colours, shadow, alignment,
// attachment to the data, font, caption, look and visibility. It draws nothing itself; it
// tells its owner of changes through OnChange and is kept in the library's XML envelope as a
// "custtextlbl" element:
//
//    <custtextlbl sig="ZUDUZidad" vers="1.0" id="Lbl1">
//      <posxy x= 1.000E+0002 y= 1.000E+0001 />       (12-character exponent form)
//      <caption>text</caption>
//      <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />  (low 24 bits, $BBGGRR)
//      <shadowofs dx=0 dy=0 />
//      <layer val=1 />
//      <transparent val=0 />
//      <visible val=1 />
//      <alignment horiz=taCenter vert=vaBottom />
//      <attachmode val=tlamNone />
//      <font name="DejaVu Sans" size=8 color=$000000 style="fsBold fsItalic" />
//      <style val=tlsimple />
//    </custtextlbl>
//
// A new label's font is the toolkit's default font (DejaVu Sans, 8 points) in black: a
// system colour would lose its high byte in the file.

#include <memory>

#include "DOV_sdlbase.h"
#include "Graphics.h"
#include "StdCtrls.h"

class TTextFile;

class TCustomTextLabel : public TPersistent {
public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;
  String ClassName() const override { return "TCustomTextLabel"; }
  void Assign(TPersistent* Source) override;

  Double PosX() const { return FPosX; }
  Double PosY() const { return FPosY; }
  Integer Layer() const { return FLayer; }
  Integer ShadowDx() const { return FXShadow; }
  Integer ShadowDy() const { return FYShadow; }
  TColor ColorShadow() const { return FColorShadow; }
  TAlignment Alignment() const { return FAlignment; }
  TVerticalAlignment VerticalAlignment() const { return FVertAlign; }
  TTxtLblAttachMode AttachToData() const { return FAttachDat; }
  TColor ColorBkg() const { return FColorBkg; }
  TColor ColorBorder() const { return FColorBrd; }
  bool Transparent() const { return FTransPar; }
  TFont* Font() const { return FFont.get(); }
  const String& Caption() const { return FCaption; }
  TTxtLblMode Mode() const { return FMode; }
  bool Visible() const { return FVisible; }

  // Each setter stores and fires OnChange, also for an unchanged value.
  void SetTxtLblPosX(Double Value);
  void SetTxtLblPosY(Double Value);
  void SetTxtLblLayer(Integer Value);  // values outside 1 ... 16 are ignored (no event)
  void SetTxtLblShadowDx(Integer Value);
  void SetTxtLblShadowDy(Integer Value);
  void SetTxtLblColorShadow(TColor Value);
  void SetTxtLblAlignment(TAlignment Value);
  void SetTxtLblVertAlignment(TVerticalAlignment Value);
  void SetTxtLblScreenPos(TTxtLblAttachMode Value);
  void SetTxtLblColorBkg(TColor Value);
  void SetTxtLblColorBrd(TColor Value);
  void SetTxtLblTranspar(bool Value);
  void SetTxtLblFont(TFont* Value);  // copies the settings into the label's own font
  // Characters below 32 other than the line feed become blanks.
  void SetTxtLblCaption(const String& Value);
  void SetTxtLblMode(TTxtLblMode Value);
  void SetTxtLblVisible(bool Value);
  TNotifyEvent OnChange;

  // Writes one custtextlbl element (every line indented by Indent blanks, 1 ... 255) to a
  // text file open for writing; a failed write raises EInOutError.
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID,
                          Integer Indent);
  // Reads the next custtextlbl element (with that id, ASCII case ignored; an empty DataID
  // takes the first). False, with the label unchanged, when there is none or it breaks off
  // before </custtextlbl>. A name not in its table (alignment, attachment, look, font style)
  // or a layer outside 1 ... 16 leaves its property as it was.
  bool ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID);

protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed();

private:
  void CopyFields(const TCustomTextLabel& Src);
  Double FPosX = 100;
  Double FPosY = 10;
  Integer FLayer = 1;
  Integer FXShadow = 0;
  Integer FYShadow = 0;
  TColor FColorShadow = 0x808080;
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVertAlign = vaBottom;
  TTxtLblAttachMode FAttachDat = tlamNone;
  TColor FColorBkg = 0xC0C0C0;
  TColor FColorBrd = 0x000000;
  bool FTransPar = false;
  std::unique_ptr<TFont> FFont;
  String FCaption;
  TTxtLblMode FMode = tlsimple;
  bool FVisible = true;
};
