// The metafile canvas: what is drawn on it becomes a well-formed EMF file that an independent
// reader (libemf2svg) turns into the same lines, shapes and texts; the mapping and the clip
// reach the file in the units the format defines.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include <QString>

#include "ClipboardPictures.h"
#include "Clipbrd.h"
#include "DocumentReaders.h"
#include "Metafile.h"
#include "TestSupport.h"

namespace {

std::uint32_t U32(const String& b, size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
std::int32_t I32(const String& b, size_t at) { return static_cast<std::int32_t>(U32(b, at)); }

struct Record {
  std::uint32_t type;
  size_t offset, size;
};

// The records of a file, checking the framing every reader relies on: sizes that are
// multiples of 4 and add up to the header's byte count, the record count, EOF last.
std::vector<Record> Records(const String& emf) {
  std::vector<Record> out;
  EXPECT_GE(emf.size(), 108u);
  if (emf.size() < 108) return out;
  EXPECT_EQ(U32(emf, 0), 1u);            // header first
  EXPECT_EQ(U32(emf, 40), 0x464D4520u);  // " EMF"
  EXPECT_EQ(U32(emf, 48), emf.size());   // bytes
  for (size_t at = 0; at + 8 <= emf.size();) {
    const std::uint32_t type = U32(emf, at), size = U32(emf, at + 4);
    EXPECT_EQ(size % 4, 0u) << "record " << type;
    if (size < 8 || at + size > emf.size()) {
      ADD_FAILURE() << "record " << type << " at " << at << " overruns the file";
      break;
    }
    out.push_back({type, at, size});
    at += size;
  }
  EXPECT_EQ(U32(emf, 52), out.size());  // records
  EXPECT_FALSE(out.empty() || out.back().type != 14) << "EOF last";
  return out;
}

std::vector<const Record*> OfType(const std::vector<Record>& rs, std::uint32_t type) {
  std::vector<const Record*> out;
  for (const Record& r : rs)
    if (r.type == type) out.push_back(&r);
  return out;
}

// The header's bounds (device units, inclusive).
TRect Bounds(const String& emf) {
  return TRect{I32(emf, 8), I32(emf, 12), I32(emf, 16), I32(emf, 20)};
}

void DrawScene(TCanvas* c) {
  c->Pen()->SetColor(clRed);
  c->MoveTo(10, 10);
  c->LineTo(190, 10);
  const TPoint zigzag[4] = {{10, 90}, {60, 40}, {110, 90}, {160, 40}};
  c->Polyline(zigzag, 4);
  c->Pen()->SetColor(clBlue);
  c->Brush()->SetColor(clYellow);
  c->Rectangle(20, 100, 80, 140);
  c->Ellipse(100, 100, 160, 140);
  const TPoint triangle[3] = {{170, 100}, {195, 140}, {170, 140}};
  c->Polygon(triangle, 3);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clGreen);
  c->TextOut(20, 150, "Flux 42");
  c->SetPixel(5, 5, clBlack);
}

}  // namespace

TEST(Metafile, TheReaderRedrawsLinesShapesAndTexts) {
  TMetafile mf;
  {
    TMetafileCanvas c(&mf);
    DrawScene(&c);
  }
  const std::vector<Record> rs = Records(mf.Data());
  EXPECT_EQ(OfType(rs, 87).size(), 2u);  // the line and the zigzag as polylines
  EXPECT_EQ(OfType(rs, 86).size(), 1u);  // the triangle
  EXPECT_EQ(OfType(rs, 43).size(), 1u);
  EXPECT_EQ(OfType(rs, 42).size(), 1u);
  ASSERT_EQ(OfType(rs, 84).size(), 1u);
  // From the pixel to the triangle's corner and the text cell's bottom.
  TBitmap probe(1, 1);
  const TSize cell = probe.Canvas()->TextExtent("Flux 42");
  EXPECT_EQ(Bounds(mf.Data()), (TRect{5, 5, 195, 150 + cell.cy - 1}));

  const std::string svg = testsupport::EmfToSvg(mf.Data());
  ASSERT_FALSE(svg.empty());
  EXPECT_NE(svg.find("Flux 42"), std::string::npos) << svg;
  EXPECT_NE(svg.find("M 10.0000,10.0000 L 190.0000,10.0000"), std::string::npos) << svg;
  EXPECT_NE(svg.find("L 60.0000,40.0000 L 110.0000,90.0000 L 160.0000,40.0000"), std::string::npos);
  EXPECT_EQ(testsupport::CountOf(svg, "stroke=\"#FF0000\""), 2);
  EXPECT_EQ(testsupport::CountOf(svg, "<rect"), 1);
  EXPECT_EQ(testsupport::CountOf(svg, "<ellipse"), 1);
  EXPECT_EQ(testsupport::CountOf(svg, "fill=\"#FFFF00\""), 3) << "rectangle, ellipse, triangle";
}

// A text record's advances are those of the text as the screen draws it: in the text's own
// order, one per UTF-16 unit, adding up to the width the screen gives the text (fallback face
// included), for right-to-left and joining scripts too. A text whose first letter with a
// direction reads right to left carries the right-to-left reading option, so that a reader
// orders it as the screen does. The reader keeps the characters as typed, at the text's place.
TEST(Metafile, TextAdvancesAreThoseOfTheShapedText) {
  struct Case {
    const char* what;
    const char* text;
    const char* name = "Arial";
    int size = 8;
    bool rightToLeft = false;
  };
  const Case cases[] = {
      {"latin", "Flux 42"},
      {"hebrew", "\u05D0\u05D5", "Arial", 8, true},
      {"arabic, joined", "\u0628\u0628\u0628", "Arial", 8, true},
      {"arabic word", "\u0633\u0644\u0627\u0645", "Arial", 8, true},
      {"mixed directions", "S \u05D0\u05D1\u05D2 42 \u0628\u0628 end"},
      {"beyond 16 bits", "a\U0001F600b"},
      {"composed mark", "a\u0301b"},
      {"arabic from the fallback face, 20 pt", "\u0633\u0633\u0633", "Arial", 20, true},
      {"arabic word, 20 pt", "\u0633\u0644\u0627\u0645", "Arial", 20, true},
      {"arabic marks", "\u0628\u064E\u0628\u0650", "Arial", 16, true},
      {"a symbol from the fallback face", "x \u2245 y", "Times New Roman", 14},
      {"hebrew first, then a number", "\u05E9\u05DC\u05D5\u05DD, 42", "Arial", 12, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TBitmap screen(1, 1);
    TMetafile mf;
    {
      TMetafileCanvas c(&mf);
      for (TCanvas* cv : {static_cast<TCanvas*>(&c), screen.Canvas()}) {
        cv->Font()->SetName(k.name);
        cv->Font()->SetSize(k.size);
      }
      c.Brush()->SetStyle(bsClear);
      c.TextOut(10, 20, k.text);
    }
    const String& emf = mf.Data();
    const std::vector<Record> rs = Records(emf);
    const std::vector<const Record*> texts = OfType(rs, 84);
    ASSERT_EQ(texts.size(), 1u);
    const size_t at = texts[0]->offset;
    const std::uint32_t n = U32(emf, at + 44), offDx = U32(emf, at + 72);
    const TRect box{I32(emf, at + 56), I32(emf, at + 60), I32(emf, at + 64), I32(emf, at + 68)};
    EXPECT_EQ(U32(emf, at + 52) & 0x80u, k.rightToLeft ? 0x80u : 0u) << "right-to-left reading";
    // The characters themselves, in the order typed.
    const std::u16string units = QString::fromUtf8(k.text).toStdU16String();
    ASSERT_EQ(n, units.size());
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint16_t u = 0;
      std::memcpy(&u, emf.data() + at + U32(emf, at + 48) + 2 * i, 2);
      EXPECT_EQ(u, units[i]) << i;
    }
    std::int64_t sum = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::int32_t dx = I32(emf, at + offDx + 4 * i);
      EXPECT_GE(dx, 0) << i;
      sum += dx;
    }
    const int width = screen.Canvas()->TextWidth(k.text);
    EXPECT_EQ(sum, width);
    EXPECT_EQ(box.Right - box.Left, width);
    const std::string svg = testsupport::EmfToSvg(emf);
    EXPECT_NE(svg.find("x=\"10.0000\""), std::string::npos) << svg;
    EXPECT_NE(svg.find(std::string("<![CDATA[") + k.text + "]]>"), std::string::npos) << svg;
  }
}

TEST(Metafile, MappingAndClipReachTheFileInItsUnits) {
  // 192 device units per inch; logical units are screen pixels (96 per inch).
  TMetafile mf;
  {
    TMetafileCanvas c(&mf, 192);
    EXPECT_EQ(c.PixelsPerInchX(), 192);
    c.SetMapping(TCanvasMapping{TPoint{0, 0}, TSize{96, 96}, TSize{192, 400}});  // isotropic: 2
    c.SetClipRect(TRect{20, 20, 120, 60});
    c.MoveTo(0, 0);
    c.LineTo(100, 50);
    c.ResetClipRect();
  }
  const String& emf = mf.Data();
  const std::vector<Record> rs = Records(emf);
  // The picture is what shows through the clip: the line's box cut to 20 ... 119, 20 ... 59.
  EXPECT_EQ(Bounds(emf), (TRect{20, 20, 119, 59}));
  ASSERT_EQ(OfType(rs, 17).size(), 1u);
  EXPECT_EQ(U32(emf, OfType(rs, 17)[0]->offset + 8), 7u);  // isotropic
  const auto clips = OfType(rs, 75);
  ASSERT_EQ(clips.size(), 2u);
  // Set: one rectangle in device units; removed: no region.
  EXPECT_EQ(U32(emf, clips[0]->offset + 8), 48u);
  EXPECT_EQ(I32(emf, clips[0]->offset + 16 + 32), 20);
  EXPECT_EQ(I32(emf, clips[0]->offset + 16 + 40), 120);
  EXPECT_EQ(U32(emf, clips[1]->offset + 8), 0u);
  EXPECT_FALSE(testsupport::EmfToSvg(emf).empty());
}

TEST(Metafile, TheExtentIsWhatShowsThroughTheClip) {
  // Each figure drawn through the clip 100 ... 199, 50 ... 149 at 192 units per inch (two
  // units per logical pixel), beside a pixel at (150, 100) drawn without a clip.
  struct Case {
    const char* what;
    std::function<void(TCanvas*)> draw;
    TRect bounds;  // device units, inclusive
  };
  const Case cases[] = {
      {"a line far beyond the clip",
       [](TCanvas* c) {
         c->MoveTo(-1000, -1000);
         c->LineTo(1000, 1000);
       },
       {100, 50, 199, 149}},
      {"a polyline reaching out to the right",
       [](TCanvas* c) {
         const TPoint p[3] = {{60, 40}, {80, 60}, {5000, 60}};
         c->Polyline(p, 3);
       },
       {120, 80, 199, 120}},
      {"a rectangle partly inside", [](TCanvas* c) { c->Rectangle(90, 60, 120, 200); },
       {150, 100, 199, 149}},
      {"an ellipse wholly outside", [](TCanvas* c) { c->Ellipse(0, 0, 20, 20); },
       {150, 100, 150, 100}},
      {"a text running out of the clip", [](TCanvas* c) { c->TextOut(90, 70, "Flux 42"); },
       {150, 100, 199, 149}},
      {"pixels inside and outside",
       [](TCanvas* c) {
         c->SetPixel(60, 60, clRed);
         c->SetPixel(500, 60, clRed);
       },
       {120, 100, 150, 120}},
      {"a bitmap over the clip's corner",
       [](TCanvas* c) {
         TBitmap pic(4, 4);
         c->StretchDraw(TRect{40, 20, 80, 60}, &pic);
       },
       {100, 50, 158, 118}},
  };
  for (const Case& k : cases) {
    TMetafile mf;
    {
      TMetafileCanvas c(&mf, 192);
      c.SetMapping(TCanvasMapping{TPoint{0, 0}, TSize{96, 96}, TSize{192, 192}});
      c.SetPixel(75, 50, clBlack);
      c.SetClipRect(TRect{100, 50, 200, 150});
      k.draw(&c);
      c.ResetClipRect();
    }
    EXPECT_EQ(Bounds(mf.Data()), k.bounds) << k.what;
  }
}

TEST(Metafile, MappingsThatCannotBeHadAreRefused) {
  struct Case {
    const char* what;
    bool onBitmap;
    TCanvasMapping mapping;
  };
  const Case cases[] = {
      {"zero window extent", false, {TPoint{}, TSize{0, 96}, TSize{96, 96}}},
      {"zero viewport extent", false, {TPoint{}, TSize{96, 96}, TSize{96, 0}}},
      {"a scale on a bitmap", true, {TPoint{}, TSize{96, 96}, TSize{192, 192}}},
      {"an origin on a bitmap", true, {TPoint{5, 0}, TSize{96, 96}, TSize{96, 96}}},
  };
  for (const Case& k : cases) {
    TMetafile mf;
    TMetafileCanvas mc(&mf);
    TBitmap bmp(10, 10);
    TCanvas* c = k.onBitmap ? bmp.Canvas() : &mc;
    EXPECT_THROW(c->SetMapping(k.mapping), EInvalidGraphicOperation) << k.what;
    EXPECT_EQ(c->Mapping(), TCanvasMapping{}) << k.what;
  }
  TBitmap bmp(10, 10);
  EXPECT_NO_THROW(bmp.Canvas()->SetMapping(TCanvasMapping{TPoint{}, TSize{96, 96}, TSize{96, 96}}));
}

TEST(Metafile, BitmapsGoInAsPicturesAndEmptyOnesAreKeptOffTheClipboard) {
  TBitmap pic(3, 2);
  pic.Canvas()->SetPixel(0, 0, clRed);
  pic.Canvas()->SetPixel(2, 1, clBlue);
  TMetafile mf;
  {
    TMetafileCanvas c(&mf);
    c.StretchDraw(TRect{10, 10, 16, 14}, &pic);
  }
  const String& emf = mf.Data();
  const std::vector<Record> records = Records(emf);
  const auto dib = OfType(records, 81);
  ASSERT_EQ(dib.size(), 1u);
  // A bottom-up 24-bit bitmap: the first row stored is the picture's last (blue at x = 2).
  const size_t bits = dib[0]->offset + 120;
  EXPECT_EQ(static_cast<unsigned char>(emf[bits + 6]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(emf[bits + 8]), 0x00);
  EXPECT_FALSE(testsupport::EmfToSvg(emf).empty());

  TMetafile empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_THROW(ClipboardSetMetafile(empty), EInvalidGraphicOperation);
  TBitmap none;
  EXPECT_THROW(ClipboardSetBitmap(&none), EInvalidGraphicOperation);
}

TEST(Metafile, FilesAreWrittenWholeOrNotAtAll) {
  testsupport::TempDir dir;
  TMetafile mf;
  {
    TMetafileCanvas c(&mf);
    DrawScene(&c);
  }
  mf.SaveToFile("picture.wmf");
  EXPECT_EQ(dir.read("picture.wmf"), mf.Data());
  EXPECT_THROW(mf.SaveToFile("no-such-folder/picture.wmf"), EFCreateError);
}

TEST(ClipboardPictures, PicturesGoToTheClipboardUnderTheirMediaTypes) {
  std::map<String, String> board;
  TClipboard::TProvider p;
  p.SetFormats = [&](const std::vector<TClipboardFormat>& f) {
    board.clear();
    for (const auto& x : f) board[x.MediaType] = x.Data;
  };
  p.HasFormat = [&](const String& t) { return board.count(t) > 0; };
  p.GetFormat = [&](const String& t) { return board.count(t) ? board[t] : String(); };
  const TClipboard::TProvider previous = SetClipboardProvider(p);

  TBitmap pic(4, 3);
  pic.Canvas()->SetPixel(1, 2, 0x123456);
  ClipboardSetBitmap(&pic);
  EXPECT_EQ(board.count("image/png"), 1u);
  EXPECT_EQ(board.count("image/bmp"), 1u);
  TBitmap back;
  ASSERT_TRUE(ClipboardGetBitmap(&back));
  ASSERT_EQ(back.Width(), 4);
  EXPECT_EQ(back.Canvas()->GetPixel(1, 2), 0x123456);

  TMetafile mf;
  {
    TMetafileCanvas c(&mf);
    DrawScene(&c);
  }
  ClipboardSetMetafile(mf);
  for (const char* type : MetafileMediaTypes) EXPECT_EQ(board[type], mf.Data()) << type;
  EXPECT_EQ(ClipboardMetafileData(), mf.Data());
  EXPECT_FALSE(ClipboardHasBitmap());

  SetClipboardProvider({});
  EXPECT_THROW(ClipboardSetBitmap(&pic), EClipboardException);
  EXPECT_FALSE(ClipboardGetBitmap(&back));
  SetClipboardProvider(previous);
}
