#include <gtest/gtest.h>

#include "DOV_textlabel.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

void Write(TCustomTextLabel& l, const String& file, bool header, const String& id, Integer indent,
           bool append = false) {
  TTextFile f(file);
  if (append)
    f.Append();
  else
    f.Rewrite();
  l.WriteToOpenXMLFile(f, header, id, indent);
  f.CloseFile();
}

bool Read(TCustomTextLabel& l, const String& file, const String& id) {
  TTextFile f(file);
  f.Reset();
  const bool ok = l.ReadFromOpenXMLFile(f, id);
  f.CloseFile();
  return ok;
}

std::vector<String> Lines(const String& text) { return SplitTextLines(text); }

}  // namespace

TEST(TextLabel, Defaults) {
  TCustomTextLabel l;
  EXPECT_EQ(l.PosX(), 100);
  EXPECT_EQ(l.PosY(), 10);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(l.ColorShadow(), 0x808080);
  EXPECT_EQ(l.Alignment(), taCenter);
  EXPECT_EQ(l.VerticalAlignment(), vaBottom);
  EXPECT_EQ(l.ColorBkg(), 0xC0C0C0);
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_TRUE(l.Visible());
  EXPECT_FALSE(l.Transparent());
  EXPECT_EQ(l.Font()->Color(), clBlack);
}

TEST(TextLabel, SettersFireAndCheckWhatTheyMust) {
  TCustomTextLabel l;
  int fired = 0;
  l.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &l);
    ++fired;
  };
  l.SetTxtLblLayer(0);
  l.SetTxtLblLayer(17);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(l.Layer(), 1);
  l.SetTxtLblLayer(16);
  EXPECT_EQ(l.Layer(), 16);
  l.SetTxtLblPosX(l.PosX());
  EXPECT_EQ(fired, 2);
  l.SetTxtLblCaption("a\tb\nc\rd");
  EXPECT_EQ(l.Caption(), "a b\nc d");
  TFont f;
  f.SetName("DejaVu Serif");
  f.SetSize(14);
  TFont* own = l.Font();
  l.SetTxtLblFont(&f);
  EXPECT_EQ(l.Font(), own);  // the label keeps its font object
  EXPECT_EQ(own->Size(), 14);
  EXPECT_EQ(fired, 4);
}

TEST(TextLabel, AssignCopiesTheHandler) {
  TCustomTextLabel a, b;
  int firedA = 0;
  a.OnChange = [&](TObject*) { ++firedA; };
  a.SetTxtLblCaption("x");
  a.SetTxtLblScreenPos(tlamBoth);
  firedA = 0;
  b.Assign(&a);
  EXPECT_EQ(firedA, 0);
  EXPECT_EQ(b.Caption(), "x");
  EXPECT_EQ(b.AttachToData(), tlamBoth);
  b.SetTxtLblVisible(false);
  EXPECT_EQ(firedA, 1);
  TFont font;
  EXPECT_THROW(b.Assign(&font), EAssignError);
}

TEST(TextLabel, WriterLayout) {
  testsupport::TempDir dir;
  TCustomTextLabel l;
  l.SetTxtLblPosX(123.456);
  l.SetTxtLblPosY(-0.5);
  l.SetTxtLblColorBrd(static_cast<TColor>(0x00FF8040));
  l.SetTxtLblColorBkg(clBtnFace);
  l.SetTxtLblCaption("Hi");
  l.Font()->SetStyle(TFontStyles{fsUnderline, fsBold});
  Write(l, "l.xml", true, "Lbl1", 0);
  const std::vector<String> expected = {
      " <?xml version=\"1.0\"?>",
      "",
      " <!-- TCustomTextLabel / RIZ Ovavavude Rarev -->",
      " <custtextlbl sig=\"ZUDUZidad\" vers=\"1.0\" id=\"Lbl1\">",
      "   <posxy x= 1.235E+0002 y=-5.000E-0001 />",
      "   <caption>Hi</caption>",
      "   <colors brd=$FF8040 bg=$00000F shdw=$808080 />",
      "   <shadowofs dx=0 dy=0 />",
      "   <layer val=1 />",
      "   <transparent val=0 />",
      "   <visible val=1 />",
      "   <alignment horiz=taCenter vert=vaBottom />",
      "   <attachmode val=tlamNone />",
      "   <font name=\"MS Sans Serif\" size=8 color=$000000 style=\"fsBold fsUnderline\" />",
      "   <style val=tlsimple />",
      " </custtextlbl>"};
  EXPECT_EQ(Lines(dir.read("l.xml")), expected);
  EXPECT_NE(dir.read("l.xml").find("\r\n"), String::npos);
  Write(l, "l.xml", false, "x", 400);
  EXPECT_EQ(Lines(dir.read("l.xml"))[1].find_first_not_of(' '), 255u);
}

TEST(TextLabel, PositionsKeepFourDigits) {
  testsupport::TempDir dir;
  TCustomTextLabel l, back;
  l.SetTxtLblPosX(123.456);
  Write(l, "l.xml", false, "", 2);
  ASSERT_TRUE(Read(back, "l.xml", ""));
  EXPECT_DOUBLE_EQ(back.PosX(), 123.5);
}

TEST(TextLabel, ReadsTheLabelWithTheRightId) {
  testsupport::TempDir dir;
  TCustomTextLabel one, two;
  one.SetTxtLblCaption("first");
  two.SetTxtLblCaption("second");
  Write(one, "l.xml", true, "Lbl1", 1);
  Write(two, "l.xml", false, "LBL2", 1, true);
  TCustomTextLabel l;
  ASSERT_TRUE(Read(l, "l.xml", "Lbl2"));
  EXPECT_EQ(l.Caption(), "second");
  ASSERT_TRUE(Read(l, "l.xml", ""));
  EXPECT_EQ(l.Caption(), "first");
  int fired = 0;
  l.OnChange = [&](TObject*) { ++fired; };
  EXPECT_FALSE(Read(l, "l.xml", "Lbl3"));
  EXPECT_EQ(fired, 0);
  ASSERT_TRUE(Read(l, "l.xml", "lbl1"));
  EXPECT_EQ(fired, 1);
}

TEST(TextLabel, DamagedElements) {
  testsupport::TempDir dir;
  const String head = "<custtextlbl sig=\"ZUDUZidad\" vers=\"1.0\" id=\"a\">\r\n";
  struct Case {
    String body;
    bool ok;
    String caption;
    Integer layer;
    const char* why;
  };
  const Case cases[] = {
      {"<caption>a > b</caption>\r\n<colors brd=$0000FF bg=$00FF00 shdw=$FF0000 />\r\n"
       "</custtextlbl>\r\n",
       true, "a > b", 1, "a greater-than sign in the caption keeps what follows"},
      {"<layer val=40 />\r\n<caption>x</caption></custtextlbl>", true, "x", 1,
       "a layer outside 1..16 is ignored"},
      {"<layer val=7 />\r\n<caption>cut", false, "old", 1, "cut short: nothing changes"},
      {"<layer val=7 />\r\n", false, "old", 1, "no closing tag"},
      {"<!-- note --><unknown a=1 /><layer val=3 /></custtextlbl>", true, "old", 3,
       "unknown tags are passed over"},
  };
  for (const Case& c : cases) {
    dir.write("d.xml", head + c.body);
    TCustomTextLabel l;
    l.SetTxtLblCaption("old");
    EXPECT_EQ(Read(l, "d.xml", "A"), c.ok) << c.why;
    EXPECT_EQ(l.Caption(), c.caption) << c.why;
    EXPECT_EQ(l.Layer(), c.layer) << c.why;
  }
  dir.write("d.xml", head + cases[0].body);
  TCustomTextLabel l;
  ASSERT_TRUE(Read(l, "d.xml", ""));
  EXPECT_EQ(l.ColorBorder(), clRed);
  EXPECT_EQ(l.ColorBkg(), clLime);
  EXPECT_EQ(l.ColorShadow(), clBlue);
}

// ---- round trips
// ---------------------------------------------------------------------------------

struct LabelCase {
  Double x, y;
  Integer layer, dx, dy;
  TColor shadow, bkg, border, fontColor;
  TAlignment align;
  TVerticalAlignment valign;
  TTxtLblAttachMode attach;
  bool transparent, visible;
  String caption, fontName;
  Integer fontSize;
  TFontStyles style;
  TTxtLblMode mode;
};

class TextLabelRoundTrip : public ::testing::TestWithParam<LabelCase> {};

TEST_P(TextLabelRoundTrip, EveryPropertyComesBack) {
  const LabelCase c = GetParam();
  TCustomTextLabel l;
  l.SetTxtLblPosX(c.x);
  l.SetTxtLblPosY(c.y);
  l.SetTxtLblLayer(c.layer);
  l.SetTxtLblShadowDx(c.dx);
  l.SetTxtLblShadowDy(c.dy);
  l.SetTxtLblColorShadow(c.shadow);
  l.SetTxtLblColorBkg(c.bkg);
  l.SetTxtLblColorBrd(c.border);
  l.SetTxtLblAlignment(c.align);
  l.SetTxtLblVertAlignment(c.valign);
  l.SetTxtLblScreenPos(c.attach);
  l.SetTxtLblTranspar(c.transparent);
  l.SetTxtLblVisible(c.visible);
  l.SetTxtLblCaption(c.caption);
  l.Font()->SetName(c.fontName);
  l.Font()->SetSize(c.fontSize);
  l.Font()->SetColor(c.fontColor);
  l.Font()->SetStyle(c.style);
  l.SetTxtLblMode(c.mode);
  testsupport::TempDir dir;
  Write(l, "rt.xml", true, "RT", 3);
  TCustomTextLabel b;
  ASSERT_TRUE(Read(b, "rt.xml", "rt"));
  EXPECT_EQ(b.PosX(), c.x);
  EXPECT_EQ(b.PosY(), c.y);
  EXPECT_EQ(b.Layer(), c.layer);
  EXPECT_EQ(b.ShadowDx(), c.dx);
  EXPECT_EQ(b.ShadowDy(), c.dy);
  EXPECT_EQ(b.ColorShadow(), c.shadow);
  EXPECT_EQ(b.ColorBkg(), c.bkg);
  EXPECT_EQ(b.ColorBorder(), c.border);
  EXPECT_EQ(b.Alignment(), c.align);
  EXPECT_EQ(b.VerticalAlignment(), c.valign);
  EXPECT_EQ(b.AttachToData(), c.attach);
  EXPECT_EQ(b.Transparent(), c.transparent);
  EXPECT_EQ(b.Visible(), c.visible);
  EXPECT_EQ(b.Caption(), c.caption);
  EXPECT_EQ(b.Font()->Name(), c.fontName);
  EXPECT_EQ(b.Font()->Size(), c.fontSize);
  EXPECT_EQ(b.Font()->Color(), c.fontColor);
  EXPECT_TRUE(b.Font()->Style() == c.style);
  EXPECT_EQ(b.Mode(), c.mode);
}

// Positions of four significant digits and colours without a high byte survive exactly.
INSTANTIATE_TEST_SUITE_P(
    Labels, TextLabelRoundTrip,
    ::testing::Values(LabelCase{100, 10, 1, 0, 0, 0x808080, 0xC0C0C0, 0, 0, taCenter, vaBottom,
                                tlamNone, false, true, "", "DejaVu Sans", 8, TFontStyles{},
                                tlsimple},
                      LabelCase{-2.5e-7, 1.25e300, 16, -3, 4, 0x123456, 0xFEDCBA, 0x0000FF,
                                0x00FF00, taRightJustify, vaTop, tlamBoth, true, false,
                                "Two\nlines <b> & \"q\"", "DejaVu Serif", 12,
                                TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}, tlShadow},
                      LabelCase{0, -1, 7, 2, -2, 0, 0xFFFFFF, 0x808080, 0xABCDEF, taLeftJustify,
                                vaCenter, tlamYOnly, true, true,
                                "\xC3\xBC"
                                "ber 5 > 3",
                                "DejaVu Sans Mono", 20, TFontStyles{fsItalic}, tlBox}));
