// Copies of the chart: bitmaps equal to what the control shows, the clipboard holding the
// same pictures, file names, the metafile read back by an independent reader, printed pages
// read back from PDF, and failures that reach the caller with the chart left as it was; every
// copy of a contour plot and of a Smith chart against their screen pictures.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "ClipboardPictures.h"
#include "Clipbrd.h"
#include "DOV_contour.h"
#include "DOV_smith.h"
#include "DOV_zodozaPub.h"
#include "DocumentReaders.h"
#include "PrintService.h"
#include "Printers.h"
#include "TestSupport.h"

namespace {

constexpr TColor kRed = 0x0000FF, kTeal = 0x808000;

// A chart 400 x 300, margins 50/10/20/30, both axes 0 ... 10 and visible, a caption, a dotted
// grid, a red polyline with marks, a text, and cross hair 1 at (4, 6).
struct Chart {
  TZOdoza c{nullptr};
  static constexpr Integer W = 400, H = 300;
  Chart() {
    c.SetName("Chart1");
    c.SetBounds(0, 0, W, H);
    c.SetLRim(50);
    c.SetRRim(10);
    c.SetTRim(20);
    c.SetBRim(30);
    c.Scale1X()->SetVisible(true);
    c.Scale1Y()->SetVisible(true);
    c.Scale1X()->SetColorScale(0x008000);
    c.ForceRange(1, 0, 0, 10, 10);
    c.SetChartCaption("Sun noise");
    c.SetGridStyle(gsHorizDotLines);
    c.SetGridCol(0x008080);
    c.SetChartCol(0xE0FFFF);
    c.SetDataCol(kRed);
    c.MoveTo(1.0, 1.0);
    for (int i = 1; i <= 8; ++i) {
      c.DrawTo(1.0 + i, 1.0 + (i % 3) * 2.5);
      c.MarkAt(1.0 + i, 1.0 + (i % 3) * 2.5, 10);
    }
    c.Text(5.0, 9.0, 9, "Flux");
    c.CrossHairSetup(1, kTeal, chBoth, psSolid, 1);
    c.CrossHairSetPos(1, 4.0, 6.0);
    c.SetSuppressPaint(false);  // paints
  }
  // The control's picture as painting leaves it.
  std::unique_ptr<TBitmap> Screen() {
    c.SetSuppressPaint(true);
    c.SetSuppressPaint(false);  // paints
    auto b = std::make_unique<TBitmap>();
    b->Assign(c.ChartBmp());
    return b;
  }
};

// The rectangle (x, y, w, h) of a bitmap.
std::unique_ptr<TBitmap> Part(TBitmap& Src, Integer x, Integer y, Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->CopyRect(TRect{0, 0, w, h}, Src.Canvas(), TRect{x, y, x + w, y + h});
  return b;
}

// Empty when equal, else the size difference or the first differing pixel.
std::string Difference(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return "size " + std::to_string(a.Width()) + "x" + std::to_string(a.Height()) + " vs " +
           std::to_string(b.Width()) + "x" + std::to_string(b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Canvas()->GetPixel(x, y) != b.Canvas()->GetPixel(x, y))
        return "pixel " + std::to_string(x) + "," + std::to_string(y);
  return "";
}

// What a copy must leave as it found it.
struct ChartState {
  TColor wind, chart, frame, font, shadow, shadowBak, scaleX, scaleY, fontX, fontY;
  bool suppressed;
  explicit ChartState(TZOdoza& c)
      : wind(c.WindColor()),
        chart(c.ChartColor()),
        frame(c.ChartFrameColor()),
        font(c.Font()->Color()),
        shadow(c.ShadowColor()),
        shadowBak(c.ShadowBakColor()),
        scaleX(c.Scale1X()->ColorScale()),
        scaleY(c.Scale1Y()->ColorScale()),
        fontX(c.Scale1X()->Font()->Color()),
        fontY(c.Scale1Y()->Font()->Color()),
        suppressed(c.SuppressPaint()) {}
  bool operator==(const ChartState&) const = default;
};

}  // namespace

TEST(ChartExport, BitmapCopiesEqualWhatTheControlShows) {
  Chart with;
  Chart without;
  without.c.CrossHairSetup(1, kTeal, chOff, psSolid, 1);
  auto screenWith = with.Screen(), screenWithout = without.Screen();
  const Integer dw = Chart::W - 50 - 10 + 1, dh = Chart::H - 20 - 30 + 1;
  struct Case {
    bool crossHairs, dataAreaOnly;
  };
  for (const Case k :
       {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
    TBitmap copy;
    TBitmap& screen = k.crossHairs ? *screenWith : *screenWithout;
    auto expected = k.dataAreaOnly ? Part(screen, 50, 20, dw, dh) : Part(screen, 0, 0, 400, 300);
    if (k.dataAreaOnly)
      with.c.CopyToBitmapDAOnly(&copy, false, k.crossHairs);
    else
      with.c.CopyToBitmap(&copy, false, k.crossHairs);
    EXPECT_EQ(Difference(copy, *expected), "")
        << "cross hairs " << k.crossHairs << ", data area only " << k.dataAreaOnly;
  }
  // The cross hair is really there: its row inside the data area in the cross hair's colour.
  Integer px = 0, py = 0;
  with.c.R2M(1, 4.0, 6.0, px, py);
  TBitmap area;
  with.c.CopyToBitmapDAOnly(&area, false, true);
  EXPECT_EQ(area.Canvas()->GetPixel(px - 50 + 20, py - 20), kTeal);
  with.c.CopyToBitmap(nullptr, false);
  with.c.CopyToBitmapDAOnly(nullptr, false, true);
}

TEST(ChartExport, BlackAndWhiteCopiesLeaveTheColoursAsTheyWere) {
  Chart ch;
  ch.c.SetWindCol(0x404080);
  ch.c.SetScaleCol(0x0000C0);
  ch.c.Scale1Y()->Font()->SetColor(0xFF0000);
  auto before = ch.Screen();
  const ChartState state(ch.c);

  TBitmap bw;
  ch.c.CopyToBitmap(&bw, true);
  EXPECT_EQ(bw.Canvas()->GetPixel(2, 2), clWhite) << "window";
  EXPECT_EQ(bw.Canvas()->GetPixel(50 + 3, 20 + 3), clWhite) << "data area";
  EXPECT_EQ(bw.Canvas()->GetPixel(50, 100), clBlack) << "frame";
  EXPECT_EQ(ChartState(ch.c), state);
  EXPECT_EQ(Difference(*ch.Screen(), *before), "");

  // Every kind of copy runs in the same frame, and leaves painting no longer suppressed even
  // when the caller had suppressed it.
  testsupport::TempDir dir;
  Printer()->SetPrinterName("");
  Printer()->SetOutputFileName("bw.pdf");
  const std::pair<const char*, std::function<void(TZOdoza&)>> copies[] = {
      {"bitmap file", [](TZOdoza& c) { c.CopyToBMP("bw", true); }},
      {"metafile", [](TZOdoza& c) { c.CopyToWMF("bw", true); }},
      {"clipboard", [](TZOdoza& c) { c.CopyToClipboard(true); }},
      {"clipboard, data area", [](TZOdoza& c) { c.CopyToClipboardDAOnly(true, true); }},
      {"clipboard metafile", [](TZOdoza& c) { c.CopyToClipboardWMF(true); }},
      {"bitmap", [](TZOdoza& c) {
         TBitmap b;
         c.CopyToBitmap(&b, true);
       }},
      {"printed page", [](TZOdoza& c) { c.PrintIt(0.5, true); }},
      {"open print job",
       [](TZOdoza& c) {
         Printer()->BeginDoc();
         Integer x = 0, y = 0;
         c.CopyToOpenPrinter(x, y, 0.5, true);
         Printer()->EndDoc();
       }},
  };
  for (const auto& [what, copy] : copies) {
    for (const bool suppressed : {false, true}) {
      ch.c.SetSuppressPaint(suppressed);
      copy(ch.c);
      EXPECT_EQ(ChartState(ch.c), state) << what << ", suppressed before: " << suppressed;
    }
  }
  Printer()->SetOutputFileName("");
  EXPECT_EQ(Difference(*ch.Screen(), *before), "");
}

TEST(ChartExport, TheClipboardHoldsTheSamePictures) {
  Chart ch;
  struct Case {
    const char* what;
    void (TZOdoza::*toClipboard)(bool, bool);
    void (TZOdoza::*toBitmap)(TBitmap*, bool, bool);
  };
  const Case cases[] = {
      {"whole chart", &TZOdoza::CopyToClipboard, &TZOdoza::CopyToBitmap},
      {"data area", &TZOdoza::CopyToClipboardDAOnly, &TZOdoza::CopyToBitmapDAOnly},
  };
  for (const Case& k : cases) {
    (ch.c.*k.toClipboard)(false, true);
    TBitmap pasted, copied;
    ASSERT_TRUE(ClipboardGetBitmap(&pasted)) << k.what;
    (ch.c.*k.toBitmap)(&copied, false, true);
    EXPECT_EQ(Difference(pasted, copied), "") << k.what;
  }
  ch.c.CopyToClipboardWMF(false);
  const String emf = ClipboardMetafileData();
  ASSERT_GT(emf.size(), 108u);
  EXPECT_NE(testsupport::EmfToSvg(emf).find("Sun noise"), std::string::npos);
  EXPECT_FALSE(ClipboardHasBitmap());
}

TEST(ChartExport, FileNamesKeepTheFolderAndDropEverythingFromTheFirstDot) {
  testsupport::TempDir dir;
  std::filesystem::create_directory("sub");
  Chart ch;
  TBitmap expected;
  ch.c.CopyToBitmap(&expected, false);
  struct Case {
    std::string given, bmp, wmf;
  };
  const std::string longest(251, 'p');  // with the extension at the file-name limit
  const Case cases[] = {
      {"plot", "plot.bmp", "plot.wmf"},
      {"a.b.c", "a.bmp", "a.wmf"},
      {"sub/plot.old.png", "sub/plot.bmp", "sub/plot.wmf"},
      {"out.wmf", "out.bmp", "out.wmf"},
      {"sub/" + longest + ".png", "sub/" + longest + ".bmp", "sub/" + longest + ".wmf"},
  };
  for (const Case& k : cases) {
    ch.c.CopyToBMP(k.given, false);
    ch.c.CopyToWMF(k.given, false);
    TBitmap loaded;
    loaded.LoadFromFile(k.bmp);
    EXPECT_EQ(Difference(loaded, expected), "") << k.given;
    const std::string emf = dir.read(k.wmf);
    ASSERT_GT(emf.size(), 44u) << k.given;
    EXPECT_EQ(emf.substr(40, 4), " EMF") << k.wmf << " is an enhanced metafile";
  }
}

TEST(ChartExport, TheMetafileKeepsTheChartsLinesAndTextsAsVectors) {
  testsupport::TempDir dir;
  Chart ch;
  ch.c.CopyToWMF("chart", false);
  const std::string svg = testsupport::EmfToSvg(dir.read("chart.wmf"));
  ASSERT_FALSE(svg.empty());
  for (const char* text : {"Sun noise", "Flux", "10"})
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  // The red polyline (the plot draws its segments between marks) and the mark outlines.
  EXPECT_GE(testsupport::CountOf(svg, "stroke=\"#FF0000\""), 8);
  EXPECT_GE(testsupport::CountOf(svg, "<text"), 10) << "caption, tick labels, the text";
  EXPECT_EQ(svg.find("<image"), std::string::npos) << "no embedded bitmap";
  // The picture's bounds (inclusive) are the control's pixels.
  const std::string emf = dir.read("chart.wmf");
  ASSERT_GT(emf.size(), 24u);
  std::int32_t bounds[4];
  std::memcpy(bounds, emf.data() + 8, sizeof bounds);
  EXPECT_EQ(std::vector<std::int32_t>(bounds, bounds + 4),
            (std::vector<std::int32_t>{0, 0, Chart::W - 1, Chart::H - 1}));
}

namespace {
// The grey of a page read back through poppler at R pixels per inch, at the centre of control
// pixel P of a chart printed at scale 1 from device position (X0, Y0) of the printable area;
// -1 off the page.
int PrintedGrey(const testsupport::GrayPage& Page, int R, double X0, double Y0, TPoint P) {
  const int dpi = Printer()->PixelsPerInchX();
  const double u = double(R) / dpi;
  const int px = static_cast<int>(
      std::floor((Printer()->PhysicalOffsetX() + X0 + (P.X + 0.5) * dpi / 96.0) * u));
  const int py = static_cast<int>(
      std::floor((Printer()->PhysicalOffsetY() + Y0 + (P.Y + 0.5) * dpi / 96.0) * u));
  return px >= 0 && py >= 0 && px < Page.width && py < Page.height ? Page.at(px, py) : -1;
}
}  // namespace

TEST(ChartExport, CopiesAreTheControlAtAnyZoom) {
  // A chart 400 x 300 over 0 ... 10 with a 200-point line (or one long line), zoomed onto the
  // middle: what the clip removes does not widen the metafile's picture beyond the control's
  // pixels, and the data area's frame is whole on a printed page (its right column and bottom
  // row too, on which the items' clip must let the frame draw) and inside the metafile's clip.
  struct Case {
    const char* what;
    Double zoom;  // the ranges are 5 -+ 5 / zoom
    bool longLine;
  };
  const Case cases[] = {
      {"unzoomed", 1, false},
      {"zoomed 5x", 5, false},
      {"zoomed 50x", 50, false},
      {"a line from -1000 to 1000", 1, true},
  };
  testsupport::TempDir dir;
  for (const Case& k : cases) {
    TZOdoza c{nullptr};
    c.SetBounds(0, 0, 400, 300);
    c.SetDataCol(kRed);
    if (k.longLine) {
      c.Line(-1000, -1000, 1000, 1000);
    } else {
      c.MoveTo(0.0, 5.0);
      for (int i = 1; i < 200; ++i) c.DrawTo(i * 10.0 / 199, 5 + 4 * std::sin(i * 0.2));
    }
    c.ForceRange(1, 5 - 5 / k.zoom, 5 - 5 / k.zoom, 5 + 5 / k.zoom, 5 + 5 / k.zoom);
    c.SetSuppressPaint(false);
    // The frame's pixels: the data-area bitmap's outermost rows and columns.
    const Integer L = c.LRim(), T = c.TRim(), dw = c.GrafBmp()->Width(), dh = c.GrafBmp()->Height();
    std::vector<TPoint> frame;
    for (Integer x = L; x < L + dw; ++x)
      frame.insert(frame.end(), {Point(x, T), Point(x, T + dh - 1)});
    for (Integer y = T + 1; y < T + dh - 1; ++y)
      frame.insert(frame.end(), {Point(L, y), Point(L + dw - 1, y)});

    c.CopyToWMF("copy", false);
    c.CopyToClipboardWMF(false);
    for (const std::string& emf : {dir.read("copy.wmf"), std::string(ClipboardMetafileData())}) {
      ASSERT_GT(emf.size(), 24u) << k.what;
      std::int32_t bounds[4];
      std::memcpy(bounds, emf.data() + 8, sizeof bounds);
      EXPECT_EQ(std::vector<std::int32_t>(bounds, bounds + 4),
                (std::vector<std::int32_t>{0, 0, 399, 299}))
          << k.what;
      EXPECT_FALSE(testsupport::EmfToSvg(emf).empty()) << k.what;
      // The last clip set (the items', the frame drawn last inside it): one rectangle in
      // device units, right and bottom excluded.
      std::int32_t clip[4] = {0, 0, 0, 0};
      for (size_t at = 0; at + 8 <= emf.size();) {
        std::uint32_t type = 0, size = 0, region = 0;
        std::memcpy(&type, emf.data() + at, 4);
        std::memcpy(&size, emf.data() + at + 4, 4);
        if (size < 8) break;
        if (type == 75 && size >= 64) std::memcpy(&region, emf.data() + at + 8, 4);
        if (type == 75 && region == 48) std::memcpy(clip, emf.data() + at + 48, sizeof clip);
        at += size;
      }
      EXPECT_LE(clip[0], L) << k.what;
      EXPECT_LE(clip[1], T) << k.what;
      EXPECT_GE(clip[2], L + dw) << k.what << ": the frame's right column is clipped off";
      EXPECT_GE(clip[3], T + dh) << k.what << ": the frame's bottom row is clipped off";
    }

    Printer()->SetPrinterName("");
    Printer()->SetOutputFileName((dir.path() / "page.pdf").string());
    c.PrintIt(1, false);
    Printer()->SetOutputFileName("");
    const int r = 192, dpi = Printer()->PixelsPerInchX();
    const auto page = testsupport::RenderPdfPage(dir.path() / "page.pdf", r);
    ASSERT_GT(page.width, 0) << k.what;
    const double x0 = std::max(
        0.0, std::trunc((Printer()->PhysicalWidth() - std::nearbyint(dpi * c.Width() / 96.0)) / 2));
    // The page joins the frame's lines with round corners, so the outer corner of a corner
    // pixel may come out grey; lost lines leave hundreds of pixels light.
    Integer light = 0;
    for (const TPoint& p : frame) light += PrintedGrey(page, r, x0, dpi / 2, p) > 64;
    EXPECT_LE(light, static_cast<Integer>(frame.size() / 500))
        << k.what << ": frame pixels of " << frame.size() << " not dark";
  }
}

TEST(ChartExport, FailuresReachTheCallerAndLeaveTheChartAsItWas) {
  testsupport::TempDir dir;
  Chart ch;
  auto before = ch.Screen();
  const ChartState state(ch.c);
  const TClipboard::TProvider platform = SetClipboardProvider({});
  // A page printed at Scale into a PDF file; a chart printed at Scale into an open job from
  // (X, 200), which must leave the caller's position as it was when refused.
  const auto PrintedAt = [](Double Scale) {
    return [Scale](TZOdoza& c) {
      Printer()->SetPrinterName("");
      Printer()->SetOutputFileName("page.pdf");
      c.PrintIt(Scale, true);
    };
  };
  const auto PrintedIntoOpenJobAt = [](Double Scale, Integer X = 100) {
    return [Scale, X](TZOdoza& c) {
      Printer()->SetPrinterName("");
      Printer()->SetOutputFileName("page.pdf");
      Printer()->BeginDoc();
      Integer x = X, y = 200;
      try {
        c.CopyToOpenPrinter(x, y, Scale, true);
      } catch (...) {
        EXPECT_EQ(x, X);
        EXPECT_EQ(y, 200);
        Printer()->Abort();
        throw;
      }
      Printer()->Abort();
    };
  };
  struct Case {
    const char* what;
    std::function<void(TZOdoza&)> run;
  };
  const Case cases[] = {
      {"bitmap file in a missing folder",
       [](TZOdoza& c) { c.CopyToBMP("missing/plot.png", true); }},
      {"metafile in a missing folder", [](TZOdoza& c) { c.CopyToWMF("missing/plot", true); }},
      {"no clipboard (bitmap)", [](TZOdoza& c) { c.CopyToClipboard(true, true); }},
      {"no clipboard (metafile)", [](TZOdoza& c) { c.CopyToClipboardWMF(true); }},
      {"no open print job",
       [](TZOdoza& c) {
         Integer x = 0, y = 0;
         c.CopyToOpenPrinter(x, y, 1, true);
       }},
      {"a printer that is not there",
       [](TZOdoza& c) {
         Printer()->SetOutputFileName("");
         Printer()->SetPrinterName("kestal-no-such-printer");
         c.PrintIt(1, true);
       }},
      {"a print job the print service refuses",
       [](TZOdoza& c) {
         printtest::TPrintService service;
         ASSERT_TRUE(service.Admin("cupsreject", printtest::TPrintService::kQueue));
         Printer()->SetOutputFileName("");
         Printer()->SetPrinterName("");
         c.PrintIt(1, true);
       }},
      {"a page that cannot be written",
       [](TZOdoza& c) {
         Printer()->SetPrinterName("");
         Printer()->SetOutputFileName("missing/page.pdf");
         c.PrintIt(1, true);
       }},
      {"an undefined scale", PrintedAt(std::nan(""))},
      {"scale 0", PrintedAt(0)},
      {"a negative scale", PrintedAt(-1)},
      {"an infinite scale", PrintedAt(INFINITY)},
      {"a negative infinite scale", PrintedAt(-INFINITY)},
      {"a page wider than the device's numbers", PrintedAt(1e6)},
      {"scale 1e300", PrintedAt(1e300)},
      {"into an open job at scale 1e6", PrintedIntoOpenJobAt(1e6)},
      {"into an open job at scale 1e7", PrintedIntoOpenJobAt(1e7)},
      {"into an open job at scale 1e300", PrintedIntoOpenJobAt(1e300)},
      {"into an open job at an infinite scale", PrintedIntoOpenJobAt(INFINITY)},
      {"into an open job at an undefined scale", PrintedIntoOpenJobAt(std::nan(""))},
      {"into an open job far right", PrintedIntoOpenJobAt(1, INT_MAX - 10)},
  };
  for (const Case& k : cases) {
    EXPECT_THROW(k.run(ch.c), Exception) << k.what;
    EXPECT_EQ(ChartState(ch.c), state) << k.what;
    EXPECT_FALSE(Printer()->Printing()) << k.what;
    EXPECT_EQ(Difference(*ch.Screen(), *before), "") << k.what;
  }
  SetClipboardProvider(platform);
  Printer()->SetOutputFileName("");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no partial file anywhere";
}

TEST(ChartExport, AChartWithoutDataAreaStillCopiesItsFrameAndScales) {
  testsupport::TempDir dir;
  Chart ch;
  ch.c.SetLRim(Chart::W - 10 + 5);  // beyond the right margin
  TBitmap whole, area;
  ch.c.CopyToBitmap(&whole, false);
  EXPECT_EQ(whole.Width(), Chart::W);
  EXPECT_EQ(whole.Height(), Chart::H);
  ch.c.CopyToBitmapDAOnly(&area, false);
  EXPECT_EQ(area.Width(), 0);
  EXPECT_THROW(ch.c.CopyToClipboardDAOnly(false), EInvalidGraphicOperation);
  EXPECT_FALSE(ch.c.SuppressPaint());
  ch.c.CopyToWMF("empty", false);
  EXPECT_FALSE(testsupport::EmfToSvg(dir.read("empty.wmf")).empty());
}

namespace {
// Prints into a PDF in a fresh folder; the chart's window colour is black so that the
// printed chart is one dark box on the page.
struct PrintedChart {
  testsupport::TempDir dir;
  Chart ch;
  PrintedChart() {
    ch.c.SetWindCol(clBlack);
    Printer()->SetPrinterName("");
    Printer()->SetOutputFileName((dir.path() / "page.pdf").string());
  }
  ~PrintedChart() { Printer()->SetOutputFileName(""); }
  testsupport::GrayPage Page(int Dpi) {
    return testsupport::RenderPdfPage(dir.path() / "page.pdf", Dpi);
  }
};
}  // namespace

TEST(ChartExport, PrintItCentresTheChartHalfAnInchBelowTheTop) {
  struct Case {
    Integer width;
    Double scale;
  };
  for (const Case k : {Case{400, 1.0}, Case{600, 2.0}}) {
    PrintedChart p;
    p.ch.c.SetBounds(0, 0, k.width, Chart::H);
    p.ch.c.PrintIt(k.scale, false);
    const auto info = testsupport::ReadPdfInfo(p.dir.path() / "page.pdf");
    EXPECT_EQ(info.pages, 1);
    EXPECT_EQ(info.title, "Sun noise");
    const int dpi = Printer()->PixelsPerInchX();
    const double paper = Printer()->PhysicalWidth(), offX = Printer()->PhysicalOffsetX(),
                 offY = Printer()->PhysicalOffsetY();
    // Device units of the page, as the chart computes them.
    const double printedW = std::nearbyint(dpi * k.scale * k.width / 96.0);
    const double x0 = std::max(0.0, std::trunc((paper - printedW) / 2));
    const int r = 36;  // rendering resolution
    const auto box = p.Page(r).darkBox();
    const double u = double(r) / dpi;  // one device unit on the rendering
    EXPECT_NEAR(box.left, (offX + x0) * u, 1.5) << k.scale;
    EXPECT_NEAR(box.top, (offY + dpi / 2) * u, 1.5) << k.scale;
    EXPECT_NEAR(box.bottom - box.top + 1, k.scale * Chart::H / 96.0 * r, 1.5) << k.scale;
    if (printedW <= paper)
      EXPECT_NEAR(box.right - box.left + 1, printedW * u, 1.5) << k.scale;
    else
      EXPECT_EQ(x0, 0) << "12.5 inches do not fit: the chart starts at the left";
  }
}

TEST(ChartExport, ChartsPrintedIntoOneJobStandSideBySide) {
  PrintedChart p;
  Printer()->SetTitle("two charts");
  Printer()->BeginDoc();
  const int dpi = Printer()->PixelsPerInchX();
  Integer x = dpi, y = dpi;
  p.ch.c.CopyToOpenPrinter(x, y, 0.5, false);
  EXPECT_EQ(x, dpi + static_cast<Integer>(std::nearbyint(dpi * 0.5 * Chart::W / 96.0)));
  EXPECT_EQ(y, dpi + static_cast<Integer>(std::nearbyint(dpi * 0.5 * Chart::H / 96.0)));
  EXPECT_EQ(Printer()->Canvas()->Mapping(), TCanvasMapping{}) << "the caller's mapping is back";
  p.ch.c.CopyToOpenPrinter(x, y, 0.5, false);
  Printer()->EndDoc();
  const int r = 36;
  const auto box = p.Page(r).darkBox();
  const double u = double(r) / dpi;
  const double offX = Printer()->PhysicalOffsetX(), offY = Printer()->PhysicalOffsetY();
  EXPECT_NEAR(box.left, (offX + dpi) * u, 1.5);
  EXPECT_NEAR(box.top, (offY + dpi) * u, 1.5);
  EXPECT_NEAR(box.right + 1, (offX + dpi) * u + 2 * 0.5 * Chart::W / 96.0 * r, 1.5);
  EXPECT_NEAR(box.bottom + 1, (offY + dpi) * u + 2 * 0.5 * Chart::H / 96.0 * r, 1.5);
}

// ---- copies of the charts that draw their own data area -----------------------------------------
namespace {

// Bytes of base64 text (the reader embeds bitmaps as base64 PNG).
std::string FromBase64(const std::string& Text) {
  static const std::string digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (const char ch : Text) {
    const size_t v = digits.find(ch);
    if (v == std::string::npos) continue;  // padding
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

// The colour of the last filled rectangle, ellipse or embedded bitmap of an SVG picture whose
// area holds the centre of pixel (x, y), or -1 when none does; lines, arcs and texts are not
// looked at.
struct SvgShapes {
  struct Shape {
    enum { Rect, Ellipse, Image } kind;
    double a, b, c, d;  // x, y, width, height; for an ellipse cx, cy, rx, ry
    long colour;
    std::shared_ptr<TBitmap> image;
  };
  std::vector<Shape> shapes;
  explicit SvgShapes(const std::string& Svg) {
    static const std::regex element(R"(<(rect|ellipse|image)(\s[^>]*)/>)");
    static const std::regex attribute(R"re(\s([a-z:-]+)="([^"]*)")re");
    for (auto e = std::sregex_iterator(Svg.begin(), Svg.end(), element);
         e != std::sregex_iterator(); ++e) {
      std::map<std::string, std::string> at;
      const std::string attrs = (*e)[2];
      for (auto i = std::sregex_iterator(attrs.begin(), attrs.end(), attribute);
           i != std::sregex_iterator(); ++i)
        at[(*i)[1]] = (*i)[2];
      const auto Num = [&](const char* n) { return std::stod(at[n]); };
      if ((*e)[1] == "image") {
        const std::string& href = at["xlink:href"];
        const size_t comma = href.find(',');
        if (comma == std::string::npos) continue;
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->LoadFromEncoded(FromBase64(href.substr(comma + 1)));
        shapes.push_back(
            {Shape::Image, Num("x"), Num("y"), Num("width"), Num("height"), 0, bitmap});
        continue;
      }
      if (at["fill"].size() != 7 || at["fill"][0] != '#') continue;
      const long rgb = std::stol(at["fill"].substr(1), nullptr, 16);
      const long colour = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
      if ((*e)[1] == "ellipse")
        shapes.push_back({Shape::Ellipse, Num("cx"), Num("cy"), Num("rx"), Num("ry"), colour, {}});
      else
        shapes.push_back(
            {Shape::Rect, Num("x"), Num("y"), Num("width"), Num("height"), colour, {}});
    }
  }
  // Outside Clip, a shape that reaches into it without covering it whole is left out: it
  // belongs to what is drawn there, which the copy clips to it (the reader does not apply
  // clip regions).
  long At(int x, int y, const TRect& Clip) const {
    const double px = x + 0.5, py = y + 0.5;
    const bool outside = x < Clip.Left || x >= Clip.Right || y < Clip.Top || y >= Clip.Bottom;
    for (auto s = shapes.rbegin(); s != shapes.rend(); ++s) {
      const double l = s->kind == Shape::Ellipse ? s->a - s->c : s->a;
      const double t = s->kind == Shape::Ellipse ? s->b - s->d : s->b;
      const double r = s->kind == Shape::Ellipse ? s->a + s->c : s->a + s->c;
      const double b = s->kind == Shape::Ellipse ? s->b + s->d : s->b + s->d;
      const bool reaches = l < Clip.Right && r > Clip.Left && t < Clip.Bottom && b > Clip.Top;
      const bool covers = l <= Clip.Left && r >= Clip.Right && t <= Clip.Top && b >= Clip.Bottom;
      if (outside && reaches && !covers) continue;
      if (s->kind == Shape::Ellipse) {
        if (std::pow((px - s->a) / s->c, 2) + std::pow((py - s->b) / s->d, 2) < 1) return s->colour;
        continue;
      }
      if (!(px >= s->a && px < s->a + s->c && py >= s->b && py < s->b + s->d)) continue;
      if (s->kind == Shape::Rect) return s->colour;
      return s->image->Canvas()->GetPixel(
          static_cast<int>((px - s->a) * s->image->Width() / s->c),
          static_cast<int>((py - s->b) * s->image->Height() / s->d));
    }
    return -1;
  }
};

// Grey of a colour as the PDF reader renders it.
int GreyOf(TColor c) {
  return static_cast<int>(
      std::lround(0.3 * (c & 0xFF) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * ((c >> 16) & 0xFF)));
}

// A Smith chart whose metafile copies a test may call.
struct SmithWithMetafiles : TSmithChart {
  SmithWithMetafiles() : TSmithChart(nullptr) {}
  using TCustomZOdoza::CopyToClipboardWMF;
  using TCustomZOdoza::CopyToWMF;
};

// The contour plot of the plane z = x + y (260 x 240, margins 40/20/20/20, 11 x 11 pivots over
// 0 ... 10, levels 0 ... 20, two masked pivots) and a Smith chart (300 x 300) a little off
// centre.
std::unique_ptr<TContourPlot> MakeContour() {
  auto p = std::make_unique<TContourPlot>(nullptr);
  p->SetBounds(0, 0, 260, 240);
  p->SetLRim(40);
  p->SetRRim(20);
  p->SetTRim(20);
  p->SetBRim(20);
  p->ForceRange(1, 0, 0, 10, 10);
  p->SetNumPivotsX(11);
  p->SetNumPivotsY(11);
  p->OnEstimateZVal = [](TObject*, Double x, Double y, Integer, Integer, Double& z, Byte&) {
    z = x + y;
  };
  p->SetIsoParams(0, 20, 1);
  p->SetMaskVal(3, 3, 5);              // one pivot painted in a mask colour
  p->SetMaskVal(7, 7, kMaskInverted);  // and one inverted
  p->SetSuppressPaint(false);
  return p;
}

std::unique_ptr<SmithWithMetafiles> MakeSmith() {
  auto s = std::make_unique<SmithWithMetafiles>();
  s->SetBounds(0, 0, 300, 300);
  s->SetSuppressPaint(false);
  s->SetRange(-1.1, -0.9, 0.9, 1.1);
  return s;
}

// A Smith chart 400 x 300 (margins 60/20/30/40) zoomed onto the left end of the real axis: most
// of its grid labels lie outside the data area, many beyond the control.
std::unique_ptr<SmithWithMetafiles> MakeZoomedSmith() {
  auto s = std::make_unique<SmithWithMetafiles>();
  s->SetBounds(0, 0, 400, 300);
  s->SetLRim(60);
  s->SetRRim(20);
  s->SetTRim(30);
  s->SetBRim(40);
  s->SetSuppressPaint(false);
  s->SetRange(-1.05, -0.25, -0.55, 0.25);
  return s;
}

// The texts of an SVG picture: anchor (left end of the baseline), font size, characters.
struct SvgText {
  double x, y, size;
  std::string text;
  long colour;
};
std::vector<SvgText> SvgTexts(const std::string& Svg) {
  static const std::regex element(
      R"re(<text[^>]*fill="#([0-9A-F]{6})"[^>]*x="([-0-9.]+)" y="([-0-9.]+)" font-size="([0-9.]+)"[^>]*><!\[CDATA\[([^\]]*)\]\]>)re");
  std::vector<SvgText> out;
  for (auto e = std::sregex_iterator(Svg.begin(), Svg.end(), element); e != std::sregex_iterator();
       ++e) {
    const long rgb = std::stol((*e)[1], nullptr, 16);
    out.push_back({std::stod((*e)[2]), std::stod((*e)[3]), std::stod((*e)[4]), (*e)[5],
                   ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16)});
  }
  return out;
}

// Every copy of the chart against its screen picture: bitmaps pixel by pixel, metafiles and
// printed pages at probe pixels.
template <class Chart>
void CompareCopiesWithTheScreen(Chart& c, const testsupport::TempDir& dir) {
  {
    TBitmap screen;
    screen.Assign(c.ChartBmp());
    const Integer L = c.LRim(), T = c.TRim(), dw = c.GrafBmp()->Width(), dh = c.GrafBmp()->Height();
    const TColor background = c.ChartColor();
    // Probe pixels inside the data area whose neighbours share their colour on the screen (no
    // line, text or edge passes there): a device copy has them in the same colour.
    std::vector<TPoint> probes;
    Integer drawn = 0;
    for (Integer y = T + 2; y < T + dh - 2; y += 3)
      for (Integer x = L + 2; x < L + dw - 2; x += 3) {
        const TColor p = screen.Canvas()->GetPixel(x, y);
        bool uniform = true;
        for (Integer d = 0; d < 9; ++d)
          uniform = uniform && screen.Canvas()->GetPixel(x - 1 + d % 3, y - 1 + d / 3) == p;
        if (!uniform) continue;
        probes.push_back(Point(x, y));
        if (p != background) ++drawn;
      }
    ASSERT_GT(drawn, 500) << "the screen shows the field or the diagram";
    // And outside the data area: the control's margins, where the screen shows the frame and
    // the scales only, ...
    std::vector<TPoint> margins;
    for (Integer y = 1; y < screen.Height() - 1; y += 3)
      for (Integer x = 1; x < screen.Width() - 1; x += 3) {
        if (x >= L - 1 && x <= L + dw && y >= T - 1 && y <= T + dh) continue;
        const TColor p = screen.Canvas()->GetPixel(x, y);
        bool uniform = true;
        for (Integer d = 0; d < 9; ++d)
          uniform = uniform && screen.Canvas()->GetPixel(x - 1 + d % 3, y - 1 + d / 3) == p;
        if (uniform) margins.push_back(Point(x, y));
      }
    ASSERT_GT(margins.size(), 1000u);
    // ... the data area's frame, on the data-area bitmap's outermost rows and columns, ...
    std::vector<TPoint> frame;
    for (Integer x = L; x < L + dw; ++x)
      frame.insert(frame.end(), {Point(x, T), Point(x, T + dh - 1)});
    for (Integer y = T + 1; y < T + dh - 1; ++y)
      frame.insert(frame.end(), {Point(L, y), Point(L + dw - 1, y)});
    // ... and the paper around the printed chart, which stays white (a band of 40 pixels
    // above and left of the control, 120 right and below).
    std::vector<TPoint> paper;
    for (Integer y = -40; y < screen.Height() + 120; y += 3)
      for (Integer x = -40; x < screen.Width() + 120; x += 3)
        if (x < 0 || y < 0 || x >= screen.Width() || y >= screen.Height())
          paper.push_back(Point(x, y));

    // Bitmap copies: every pixel.
    const auto whole = Part(screen, 0, 0, screen.Width(), screen.Height());
    const auto area = Part(screen, L, T, dw, dh);
    struct BitmapCase {
      const char* what;
      bool dataAreaOnly;
      std::function<void(Chart&, TBitmap&)> copy;
    };
    const BitmapCase bitmaps[] = {
        {"CopyToBitmap", false, [](Chart& c, TBitmap& b) { c.CopyToBitmap(&b, false); }},
        {"CopyToBitmapDAOnly", true, [](Chart& c, TBitmap& b) { c.CopyToBitmapDAOnly(&b, false); }},
        {"CopyToBMP", false,
         [](Chart& c, TBitmap& b) {
           c.CopyToBMP("copy", false);
           b.LoadFromFile("copy.bmp");
         }},
        {"CopyToClipboard", false,
         [](Chart& c, TBitmap& b) {
           c.CopyToClipboard(false);
           ClipboardGetBitmap(&b);
         }},
        {"CopyToClipboardDAOnly", true,
         [](Chart& c, TBitmap& b) {
           c.CopyToClipboardDAOnly(false);
           ClipboardGetBitmap(&b);
         }},
    };
    for (const BitmapCase& k : bitmaps) {
      TBitmap copy;
      k.copy(c, copy);
      EXPECT_EQ(Difference(copy, k.dataAreaOnly ? *area : *whole), "") << k.what;
    }

    // Metafiles, read by the independent reader: the filled shapes under each probe.
    struct MetafileCase {
      const char* what;
      std::function<std::string(Chart&)> copy;
    };
    const MetafileCase metafiles[] = {
        {"CopyToWMF",
         [&dir](Chart& c) {
           c.CopyToWMF("copy", false);
           return dir.read("copy.wmf");
         }},
        {"CopyToClipboardWMF",
         [](Chart& c) {
           c.CopyToClipboardWMF(false);
           return std::string(ClipboardMetafileData());
         }},
    };
    for (const MetafileCase& k : metafiles) {
      const std::string text = testsupport::EmfToSvg(k.copy(c));
      const SvgShapes svg(text);
      const TRect dataArea{L, T, L + dw, T + dh};
      for (const auto* set : {&probes, &margins}) {
        Integer wrong = 0;
        for (const TPoint& p : *set)
          if (svg.At(p.X, p.Y, dataArea) != static_cast<long>(screen.Canvas()->GetPixel(p.X, p.Y)))
            ++wrong;
        EXPECT_EQ(wrong, 0) << k.what << ": probes of " << set->size() << " in another colour"
                            << (set == &margins ? " outside the data area" : "");
      }
      // Each text of the copy stands where the screen shows some of its pixels (the reader
      // does not apply clip regions, so a text the screen cannot show must not be there).
      for (const SvgText& t : SvgTexts(text)) {
        const Integer x0 = static_cast<Integer>(std::floor(t.x));
        const Integer x1 = static_cast<Integer>(std::ceil(t.x + 0.7 * t.size * t.text.size()));
        const Integer y0 = static_cast<Integer>(std::floor(t.y - t.size));
        const Integer y1 = static_cast<Integer>(std::ceil(t.y + 0.3 * t.size));
        bool shown = false;
        for (Integer y = std::max(0, y0); y <= std::min(screen.Height() - 1, y1) && !shown; ++y)
          for (Integer x = std::max(0, x0); x <= std::min(screen.Width() - 1, x1) && !shown; ++x)
            shown = static_cast<long>(screen.Canvas()->GetPixel(x, y)) == t.colour;
        EXPECT_TRUE(shown) << k.what << ": \"" << t.text << "\" at (" << t.x << ", " << t.y
                           << ") is not on the screen";
      }
    }

    // Printed pages at 2 rendered pixels per control pixel, the chart at its screen size.
    struct PageCase {
      const char* what;
      bool openJob;
    };
    for (const PageCase k : {PageCase{"PrintIt", false}, PageCase{"CopyToOpenPrinter", true}}) {
      Printer()->SetPrinterName("");
      Printer()->SetOutputFileName((dir.path() / "page.pdf").string());
      const int dpi = Printer()->PixelsPerInchX();
      double x0 = dpi, y0 = dpi;
      if (k.openJob) {
        Printer()->BeginDoc();
        Integer x = dpi, y = dpi;
        c.CopyToOpenPrinter(x, y, 1, false);
        Printer()->EndDoc();
      } else {
        c.PrintIt(1, false);
        x0 = std::max(
            0.0,
            std::trunc((Printer()->PhysicalWidth() - std::nearbyint(dpi * c.Width() / 96.0)) / 2));
        y0 = dpi / 2;
      }
      Printer()->SetOutputFileName("");
      const int r = 192;
      const auto page = testsupport::RenderPdfPage(dir.path() / "page.pdf", r);
      ASSERT_GT(page.width, 0) << k.what;
      const auto Grey = [&](TPoint p) { return PrintedGrey(page, r, x0, y0, p); };
      for (const auto* set : {&probes, &margins, &paper, &frame}) {
        Integer wrong = 0;
        for (const TPoint& p : *set) {
          const int want = set == &paper ? 255 : GreyOf(screen.Canvas()->GetPixel(p.X, p.Y));
          const int grey = Grey(p);
          if (grey >= 0 && std::abs(grey - want) > 4) ++wrong;
        }
        // The page sets its text with the PDF renderer's own rasteriser, whose glyphs may reach
        // a pixel beyond the screen's: a few probes beside a label may differ, a lost field or
        // grid, or labels where the screen shows none, change dozens.
        EXPECT_LE(wrong, static_cast<Integer>(set->size() / 500))
            << k.what << ": probes of " << set->size() << " in another grey"
            << (set == &margins ? " outside the data area"
                : set == &paper ? " off the chart"
                : set == &frame ? " of the data area's frame"
                                : "");
      }
    }
  }
}

}  // namespace

TEST(ChartExport, ContourAndSmithCopiesLookLikeTheControl) {
  testsupport::TempDir dir;
  const std::pair<const char*, std::function<void()>> charts[] = {
      {"contour plot", [&] { CompareCopiesWithTheScreen(*MakeContour(), dir); }},
      {"Smith chart", [&] { CompareCopiesWithTheScreen(*MakeSmith(), dir); }},
      {"zoomed Smith chart", [&] { CompareCopiesWithTheScreen(*MakeZoomedSmith(), dir); }},
  };
  for (const auto& [what, compare] : charts) {
    SCOPED_TRACE(what);
    compare();
  }
}
