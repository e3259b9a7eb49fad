// The chart model: axis settings and their mirroring, layer coupling, the display list, the
// world/pixel transforms, and the chart's life cycle (defaults, size, zoom history, layers,
// repaint batching). Tests that use the margins the constructor sets (50/10/16/32) say so; a
// new chart carries 50/20/20/40 from its standard layout.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>
#include <vector>

#include "DOV_sdlcolors.h"
#include "DOV_zodoza.h"

namespace {

// A chart whose paints are counted (every paint draws the axes once).
struct Chart {
  TCustomZOdoza c{nullptr};
  int paints = 0;
  Chart() {
    c.OnScalesRendered = [this](TObject*, TCanvas*, Integer, Integer) { ++paints; };
  }
  // The margins the constructor sets, which several transform figures assume.
  void ConstructorMargins() {
    c.SetLRim(50);
    c.SetRRim(10);
    c.SetTRim(16);
    c.SetBRim(32);
  }
  void SetRangeX(Integer Layer, Double Lo, Double Hi) {
    c.ForceRange(Layer, Lo, c.GetScalePropsY(Layer)->RangeLow(), Hi,
                 c.GetScalePropsY(Layer)->RangeHigh());
  }
  void SetRangeY(Integer Layer, Double Lo, Double Hi) {
    c.ForceRange(Layer, c.GetScalePropsX(Layer)->RangeLow(), Lo,
                 c.GetScalePropsX(Layer)->RangeHigh(), Hi);
  }
  TPoint Pixel(Integer Layer, Double x, Double y) const {
    Integer px = 0, py = 0;
    c.R2M(Layer, x, y, px, py);
    return Point(px, py);
  }
};

TrcChartItem Item(TrcItem Kind, Double x, Double y, Double x2 = 0, Double y2 = 0,
                  Integer Layer = 1) {
  TrcChartItem it;
  it.ItemKind = Kind;
  it.x = x;
  it.y = y;
  it.x2 = x2;
  it.y2 = y2;
  it.Layer = Layer;
  return it;
}

String ErrorOf(const std::function<void()>& Code) {
  try {
    Code();
  } catch (const ESDLZOdozaError& e) {
    return e.Message;
  }
  return "(no error)";
}

}  // namespace

// ---- axis settings ---------------------------------------------------------------------------
TEST(ScaleProps, RangeEndsKeepTheMinimumSpan) {
  TScalePropsHoriz p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetRangeLow(0.5);
  EXPECT_EQ(p.RangeLow(), 0.5);
  EXPECT_EQ(p.RangeHigh(), 1);
  p.SetRangeLow(1);
  EXPECT_EQ(p.RangeLow(), 1);
  EXPECT_EQ(p.RangeHigh(), 1 + 1e-10);
  EXPECT_EQ(changes, 2);

  TScalePropsVert log;
  log.SetRangeHigh(10);
  log.SetRangeLow(1);
  log.SetLogAx(true);
  changes = 0;
  log.OnChange = [&](TObject*) { ++changes; };
  log.SetRangeHigh(1e-200);  // no logarithm: refused, still reported
  EXPECT_EQ(log.RangeHigh(), 10);
  EXPECT_EQ(changes, 1);
}

TEST(ScaleProps, MinRangeRecentresANarrowSpan) {
  TScalePropsHoriz p;
  p.SetRangeHigh(5);
  p.SetRangeLow(4);
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetMinRngDiff(0.5);
  EXPECT_EQ(p.MinRange(), 0.5);
  EXPECT_EQ(changes, 0);
  p.SetMinRngDiff(2);
  EXPECT_EQ(p.RangeLow(), 3.5);
  EXPECT_EQ(p.RangeHigh(), 5.5);
  EXPECT_EQ(changes, 1);
  p.SetMinRngDiff(1e-101);
  EXPECT_EQ(p.MinRange(), 2);
}

TEST(ScaleProps, LabelTypesDecimalsLocationsAndCopies) {
  TScalePropsVert p;
  p.SetRangeLow(1);
  p.SetRangeHigh(10);
  p.SetLogAx(true);
  p.SetLabelType(ftDateTime);
  EXPECT_FALSE(p.Logarithmic());
  p.SetLabelType(ftTime);
  EXPECT_EQ(p.DecPlaces(), 4);
  p.SetDecPlaces(20);
  EXPECT_EQ(p.DecPlaces(), 12);
  p.SetDecPlaces(-9);
  EXPECT_EQ(p.DecPlaces(), -3);
  p.SetScaleLoc(slRight);
  EXPECT_EQ(p.ScaleType(), sctYL);
  p.SetScaleLoc(slLeft);
  EXPECT_EQ(p.ScaleType(), sctYR);
  p.SetScalePos(50);
  TScalePropsHoriz h;
  h.SetScaleLoc(slTop);
  EXPECT_EQ(h.ScaleType(), sctXB);
  h.SetScalePos(30);
  EXPECT_EQ(h.ScalePos(), 30);

  p.SetMouseAction(maPan);
  p.SetCaption("volts");
  TScalePropsVert q;
  q.Assign(&p);
  EXPECT_EQ(q.Caption(), "volts");
  EXPECT_EQ(q.ScalePos(), 50);
  EXPECT_EQ(q.ScaleType(), sctYR);
  EXPECT_EQ(q.MouseAction(), maNone);
  EXPECT_EQ(q.ScaleLocation(), slLeft);
}

TEST(JointLayers, RulesAndMessages) {
  Chart ch;
  TJointLayers* j = ch.c.JointLayers();
  ch.SetRangeX(1, -5, 5);
  int changes = 0;
  j->OnChange = [&](TObject*) { ++changes; };
  j->SetControlledLayerX(3, 1);
  EXPECT_EQ(j->GetControlledLayerX(3), 1);
  EXPECT_EQ(ch.c.GetScalePropsX(3)->RangeLow(), -5);
  EXPECT_EQ(ch.c.GetScalePropsX(3)->RangeHigh(), 5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ErrorOf([&] { j->SetControlledLayerX(1, 2); }),
            "Layer 1 is joined by other layers (3)");
  EXPECT_EQ(ErrorOf([&] { j->SetControlledLayerX(5, 3); }),
            "Destination layer 3 is already joined");
  EXPECT_EQ(ErrorOf([&] { j->SetControlledLayerX(5, 17); }),
            "Destination layer 17 is out of range");
  j->SetControlledLayerX(4, 1);
  EXPECT_EQ(ErrorOf([&] { j->SetControlledLayerX(1, 6); }),
            "Layer 1 is joined by other layers (3, 4)");
  // A master's range change reaches its followers through the axis synchronisation.
  ch.c.Scale1X()->SetRangeHigh(50);
  EXPECT_EQ(ch.c.GetScalePropsX(3)->RangeHigh(), 50);
  EXPECT_EQ(ch.c.GetScalePropsY(3)->RangeHigh(), 1);  // Y is not joined
  j->SetControlledLayerX(3, 3);
  EXPECT_EQ(changes, 2);  // freeing a layer sends nothing
  EXPECT_EQ(j->GetControlledLayerX(3), 3);
}

TEST(BakGndImg, NameKeepsItsPathOnlyWhenAsked) {
  TBakGndImg b(nullptr);
  b.SetName("c:\\pics\\a.bmp");
  EXPECT_EQ(b.Name(), "a.bmp");
  b.SetIncldPath(true);
  b.SetName("/pics/b.png");
  EXPECT_EQ(b.Name(), "/pics/b.png");
  b.SetIncldPath(false);
  EXPECT_EQ(b.Name(), "b.png");
  EXPECT_EQ(b.AreaColor(), 0xDDDDDD);
  EXPECT_EQ(b.FillMode(), bfStretch);
}

// ---- display list ----------------------------------------------------------------------------
TEST(DisplayList, RecordLayoutAndShortText) {
  TrcChartItem it;
  it.SetText("a text longer than fifteen");
  EXPECT_EQ(it.Text(), "a text longer t");
  EXPECT_EQ(it.TextLength, 15);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&it);
  EXPECT_EQ(bytes[70], 15);
  EXPECT_EQ(bytes[71], 'a');
  EXPECT_EQ(bytes[64], 1);                               // Layer 1, little-endian
  it.SetText("Gr\u00fc\u00dfe aus K\u00f6ln am Rhein");  // one byte per character
  EXPECT_EQ(it.TextLength, 15);
  EXPECT_EQ(static_cast<unsigned char>(it.TextChars[2]), 0xFC);
  EXPECT_EQ(it.Text(), "Gr\u00fc\u00dfe aus K\u00f6ln ");
}

TEST(DisplayList, GrowsInAllocSizeStepsAndCounts) {
  Chart ch;
  EXPECT_EQ(ch.c.NumItems(), 0);
  EXPECT_EQ(ch.c.GetItemCount(tkNone), 1);
  ch.c.AppendItem(Item(tkMarkAt, 1, 2));
  EXPECT_EQ(ch.c.NumAllocData(), 1000);
  for (int i = 1; i < 1000; ++i) ch.c.AppendItem(Item(tkLineto, i, i));
  EXPECT_EQ(ch.c.NumAllocData(), 1000);
  ch.c.AppendItem(Item(tkLineto, 0, 0));
  EXPECT_EQ(ch.c.NumAllocData(), 2000);
  EXPECT_EQ(ch.c.NumItems(), 1001);
  EXPECT_EQ(ch.c.GetItemCount(tkLineto), 1000);
  EXPECT_EQ(ch.c.GetItemCount(tkMarkAt), 1);
  ch.c.SetAllocSize(0);
  ch.c.SetAllocSize(1000001);
  EXPECT_EQ(ch.c.AllocSize(), 1000);
  ch.c.SetAnnoMode(true);
  ch.c.AppendItem(Item(tkLine, 0, 0, 1, 1));
  EXPECT_EQ(ch.c.NumAnnos(), 1);
  EXPECT_EQ(ch.c.GetItemCount(tkLine), 0);  // annotations are not counted
  ch.c.ClearGraf();
  EXPECT_EQ(ch.c.NumItems(), 0);
  EXPECT_EQ(ch.c.NumAllocData(), 0);
  EXPECT_EQ(ch.c.GetItemCount(tkNone), 0);
  EXPECT_EQ(ch.c.NumAnnos(), 1);
}

// Long lists outgrow their storage many times (past the size where large storage is handled
// apart): every record must survive each move, and the logical size still grows in AllocSize
// steps whatever the storage below it does.
TEST(DisplayList, LongListsKeepEveryRecordAndAllocSizeSteps) {
  struct Case {
    Integer allocSize;
    int items;
  };
  for (const Case k : {Case{1, 1500}, Case{7, 100003}, Case{1000, 200000}, Case{65536, 131073}}) {
    SCOPED_TRACE(k.allocSize);
    Chart ch;
    ch.c.SetAllocSize(k.allocSize);
    for (int i = 0; i < k.items; ++i)
      ch.c.AppendItem(Item(i % 2 == 0 ? tkLineto : tkMarkAt, i, -i));
    EXPECT_EQ(ch.c.NumItems(), k.items);
    EXPECT_EQ(ch.c.NumAllocData(), (k.items + k.allocSize - 1) / k.allocSize * k.allocSize);
    EXPECT_EQ(ch.c.GetItemCount(tkLineto), (k.items + 1) / 2);
    int wrong = 0;
    for (int i = 0; i < k.items; ++i) {
      const TrcChartItem it = ch.c.GetChartItem(i);
      if (it.x != i || it.y != -i || it.ItemKind != (i % 2 == 0 ? tkLineto : tkMarkAt)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(DisplayList, AccessorsIgnoreIndexesOutsideTheList) {
  Chart ch;
  ch.c.AppendItem(Item(tkMarkAt, 1, 2));
  EXPECT_EQ(ch.c.GetChartItem(-1).ItemKind, tkNone);
  EXPECT_EQ(ch.c.GetChartItem(1).ItemKind, tkNone);
  EXPECT_EQ(ch.c.GetAnnoItem(0).ItemKind, tkNone);
  ch.c.SetChartItem(1, Item(tkLine, 9, 9));
  ch.c.ScaleItem(1, 2, 0, 2, 0);
  ch.c.ScaleItem(-1, 2, 0, 2, 0);
  EXPECT_EQ(ch.c.GetChartItem(0).x, 1);
  ch.c.ScaleItem(0, 2, 1, 3, 0);
  EXPECT_EQ(ch.c.GetChartItem(0).x, 3);
  EXPECT_EQ(ch.c.GetChartItem(0).y, 6);
  EXPECT_EQ(ch.c.GetMTracePoint(0).Flag, 0xFFFF);
  EXPECT_EQ(ch.c.GetMTracePoint(1).Flag, 0xFFFF);
}

TEST(DisplayList, LongTexts) {
  Chart ch;
  ch.c.AppendItem(Item(tkText, 0, 0));
  ch.c.SetDataLongText(0, "sixteen chars ok");
  EXPECT_EQ(ch.c.GetChartItem(0).Text(), "sixteen chars o");
  EXPECT_EQ(ch.c.GetChartItem(0).LWid, 1);
  EXPECT_EQ(ch.c.GetDataLongText(0), "sixteen chars ok");
  ch.c.SetDataLongText(0, "short");
  EXPECT_EQ(ch.c.GetChartItem(0).LWid, 0);
  EXPECT_EQ(ch.c.GetDataLongText(0), "short");
  // Entry 1 stays in use (no longer referenced); 49 more fill the table, then a long text
  // keeps only 15 characters.
  for (int i = 1; i <= 50; ++i) {
    ch.c.AppendItem(Item(tkTextOfs, 0, 0));
    ch.c.SetDataLongText(i, "long text number " + std::to_string(i));
  }
  EXPECT_EQ(ch.c.GetDataLongText(49), "long text number 49");
  EXPECT_EQ(ch.c.GetChartItem(49).LWid, 50);
  EXPECT_EQ(ch.c.GetDataLongText(50), "long text numbe");
  ch.c.AppendItem(Item(tkLine, 0, 0));
  ch.c.SetDataLongText(51, "not a text item at all");
  EXPECT_EQ(ch.c.GetDataLongText(51), "");
}

TEST(DisplayList, SearchesAndCounts) {
  Chart ch;
  EXPECT_EQ(ch.c.SearchDataItem(0, 0, 0, 255, tkEverything), -1);
  TrcChartItem a = Item(tkMarkAt, 0, 0);
  a.ItemClass = 3;
  a.Tag = 0x12;
  ch.c.AppendItem(a);
  ch.c.AppendItem(Item(tkLine, 0, 0, 1, 1, 4));
  EXPECT_EQ(ch.c.SearchDataItem(0, 0, 0, 255, tkEverything), 0);
  EXPECT_EQ(ch.c.SearchDataItem(1, 0, 0, 255, tkEverything), 1);
  EXPECT_EQ(ch.c.SearchDataItem(-1, 0, 0, 255, tkEverything), -1);
  EXPECT_EQ(ch.c.SearchDataItem(0, 0x02, 0x0F, 255, tkEverything), 0);
  EXPECT_EQ(ch.c.SearchDataItem(0, 0x03, 0x0F, 255, tkEverything), -1);
  EXPECT_EQ(ch.c.SearchDataItem(0, 0, 0, 3, tkLine), -1);
  EXPECT_EQ(ch.c.FindUsedLayers(), (1u << 1) | (1u << 4));
  ch.c.SetAnnoMode(true);
  ch.c.AppendItem(a);
  ch.c.AppendItem(Item(tkLine, 0, 0));
  EXPECT_EQ(ch.c.CountAnnoByClass({3, 3}), 2);
  EXPECT_EQ(ch.c.CountAnnoByClass({}), 0);
  EXPECT_EQ(ch.c.CountAnnos(0, 0, 255, tkLine), 1);
  EXPECT_EQ(ch.c.SearchAnnoItem(0, 0, 0, 0, tkEverything), 1);
}

TEST(DisplayList, ExtentsAndMinMax) {
  Chart ch;
  Double x0, y0, x1, y1;
  ch.c.LLCalcExtents(1, 10, 0, x0, y0, x1, y1);
  EXPECT_EQ(x0, 0);  // no item: all 0
  EXPECT_EQ(y1, 0);
  ch.c.AppendItem(Item(tkMarkAt, 2, 5));
  ch.c.LLCalcExtents(1, 10, 0, x0, y0, x1, y1);
  EXPECT_EQ(x0, 2);
  EXPECT_EQ(x1, 2);
  EXPECT_EQ(y0, 5);
  EXPECT_EQ(y1, 5);
  ch.c.LLCalcExtents(1, 10, 10, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x0, 1.8);
  EXPECT_DOUBLE_EQ(x1, 2.2);
  EXPECT_DOUBLE_EQ(y0, 4.5);
  EXPECT_DOUBLE_EQ(y1, 5.5);

  ch.c.AppendItem(Item(tkMarkAt, 1, 1, 0, 0, 2));
  ch.c.AppendItem(Item(tkLine, 10, 100, 100, 10, 2));
  ch.c.AppendItem(Item(tkLineRelPix, 1e6, 1e6, 0, 0, 2));  // pixel offsets never count
  ch.SetRangeX(2, 1, 100);
  ch.SetRangeY(2, 1, 100);
  ch.c.GetScalePropsX(2)->SetLogAx(true);
  ch.c.GetScalePropsY(2)->SetLogAx(true);
  ch.c.LLCalcExtents(2, 10, 0, x0, y0, x1, y1);
  EXPECT_NEAR(std::log10(x0), -0.2, 1e-12);
  EXPECT_NEAR(std::log10(x1), 2.2, 1e-12);

  ch.c.AppendItem(Item(tkEllipse, 0, 0, 3, 4, 3));
  ch.c.LLCalcExtents(3, 0, 0, x0, y0, x1, y1);
  EXPECT_EQ(x0, -3);
  EXPECT_EQ(y1, 4);

  ch.c.LLCalcMinMax(0, 50, 50, 60, 60, x0, y0, x1, y1);
  EXPECT_EQ(x0, 1.7e308);  // nothing inside the window
  EXPECT_EQ(x1, -1.7e308);
  ch.c.LLCalcMinMax(0, 0, 0, 1000, 1000, x0, y0, x1, y1);  // every layer, strictly inside
  EXPECT_EQ(x0, 1);
  EXPECT_EQ(x1, 100);
  EXPECT_EQ(y0, 1);
  EXPECT_EQ(y1, 100);
}

// ---- transforms (constructor margins 50/10/16/32, 280 x 200) ---------------------------------
TEST(ChartTransform, LinearReversedAndLogarithmicAxes) {
  Chart ch;
  ch.ConstructorMargins();
  ch.SetRangeX(1, 0, 10);
  ch.SetRangeY(1, 0, 1);
  EXPECT_EQ(ch.Pixel(1, 0, 0), Point(50, 168));
  EXPECT_EQ(ch.Pixel(1, 10, 1), Point(270, 16));
  EXPECT_EQ(ch.Pixel(1, 1e300, 0).X, 2147483647);
  EXPECT_EQ(ch.Pixel(0, 10, 1), ch.Pixel(1, 10, 1));  // layer 0 is taken as 1
  ch.SetRangeX(16, 0, 100);
  EXPECT_EQ(ch.Pixel(17, 100, 0), ch.Pixel(16, 100, 0));
  for (Integer px = 50; px <= 270; px += 37) {
    Double x, y;
    ch.c.M2R(1, px, 100, x, y);
    const TPoint back = ch.Pixel(1, x, y);
    EXPECT_EQ(back, Point(px, 100));
  }
  ch.SetRangeX(1, 10, 0);
  EXPECT_EQ(ch.Pixel(1, 10, 0).X, 50);
  EXPECT_EQ(ch.Pixel(1, 0, 0).X, 270);

  ch.SetRangeX(2, 1, 100);
  ch.c.GetScalePropsX(2)->SetLogAx(true);
  EXPECT_EQ(ch.Pixel(2, 10, 0).X, 160);
  EXPECT_EQ(ch.Pixel(2, 0, 0).X, 0);
  Double kx, dx, ky, dy;
  ch.c.GetTransformParams(1, kx, dx, ky, dy);
  EXPECT_DOUBLE_EQ(kx, -22);
  EXPECT_DOUBLE_EQ(ky, -152);
}

TEST(ChartTransform, LogarithmicAxisWithoutPositiveEndsRaises) {
  Chart ch;
  EXPECT_EQ(ErrorOf([&] { ch.c.GetScalePropsX(3)->SetLogAx(true); }),
            "Logarithmic axis must not be negative.");
  ch.c.GetScalePropsX(3)->SetLogAx(false);
  EXPECT_NO_THROW(ch.c.AdjustScaling());
}

TEST(ChartTransform, PixelClampAndZeroFactor) {
  Integer x = 40000, y = -50000;
  EXPECT_TRUE(ZOdozaMath::ClampPixelPair(x, y));
  EXPECT_EQ(x, 30000);
  EXPECT_EQ(y, -30000);
  EXPECT_FALSE(ZOdozaMath::ClampPixelPair(x, y));
  EXPECT_EQ(ZOdozaMath::RoundUp(2.2), 3);
  EXPECT_EQ(ZOdozaMath::RoundDown(2.7), 2);
  EXPECT_EQ(ZOdozaMath::RoundUp(2.5), 3);
  Chart ch;
  ch.SetRangeX(1, 3, 7);
  ch.c.SetLRim(400);  // margins wider than the control: no data area
  Double wx = 0, wy = 0;
  ch.c.M2R(1, 10, 10, wx, wy);
  EXPECT_EQ(wx, 3);  // the range's low end, never a division by zero
  EXPECT_EQ(ch.Pixel(1, 5, 0).X, 140);
}

TEST(ChartTransform, SegmentsAreCutToABoxAlongThemselves) {
  const ZOdozaMath::TClipBox box{0, 0, 100, 50};
  constexpr Double nan = std::numeric_limits<Double>::quiet_NaN();
  struct Case {
    const char* what;
    TPointDouble a, b;
    bool shows;
    TPointDouble cutA, cutB;
  } cases[] = {
      {"inside, untouched", {10, 10}, {90, 40}, true, {10, 10}, {90, 40}},
      {"out through the right edge", {50, 25}, {250, 125}, true, {50, 25}, {100, 50}},
      {"in from far left", {-1e6, 20}, {40, 20}, true, {0, 20}, {40, 20}},
      {"both ends 1e17 away, through the corners", {-1e17, -5e16}, {1e17, 5e16}, true, {0, 0},
       {100, 50}},
      {"both ends 1e17 away, across", {-1e17, 30}, {1e17, 10}, true, {0, 20}, {100, 20}},
      {"in from far right, the far end first", {1e22, 20}, {40, 30}, true, {100, 30}, {40, 30}},
      {"both ends 1e22 away, through the corners", {1e22, 5e21}, {-1e22, -5e21}, true,
       {100, 50}, {0, 0}},
      {"both beyond the top", {-50, -10}, {500, -1}, false, {}, {}},
      {"past a corner", {90, -20}, {130, 20}, false, {}, {}},
      {"a point inside", {5, 5}, {5, 5}, true, {5, 5}, {5, 5}},
      {"a point outside", {-5, 5}, {-5, 5}, false, {}, {}},
      {"an end not a number", {5, 5}, {nan, 5}, false, {}, {}},
  };
  for (const Case& k : cases) {
    TPointDouble a = k.a, b = k.b;
    ASSERT_EQ(ZOdozaMath::ClipSegment(a, b, box), k.shows) << k.what;
    if (!k.shows) {
      EXPECT_EQ(a.X, k.a.X) << k.what << ": unchanged";
      continue;
    }
    // Within a fiftieth of a pixel, also where the ends lie 1e17 pixels away.
    EXPECT_NEAR(a.X, k.cutA.X, 0.02) << k.what;
    EXPECT_NEAR(a.Y, k.cutA.Y, 0.02) << k.what;
    EXPECT_NEAR(b.X, k.cutB.X, 0.02) << k.what;
    EXPECT_NEAR(b.Y, k.cutB.Y, 0.02) << k.what;
  }
  // The way round along the edge between two points on it: the corners of the shorter way.
  struct Way {
    const char* what;
    TPointDouble from, to;
    std::vector<std::pair<Double, Double>> corners;
  } ways[] = {
      {"along one edge", {10, 0}, {60, 0}, {}},
      {"round the top-right corner", {90, 0}, {100, 30}, {{100, 0}}},
      {"top to bottom, the left way", {10, 0}, {20, 50}, {{0, 0}, {0, 50}}},
      {"bottom to top, the right way", {95, 50}, {80, 0}, {{100, 50}, {100, 0}}},
  };
  for (const Way& w : ways) {
    TPointDouble corners[4];
    const int n = ZOdozaMath::BoxDetour(box, w.from, w.to, corners);
    std::vector<std::pair<Double, Double>> got;
    for (int i = 0; i < n; ++i) got.emplace_back(corners[i].X, corners[i].Y);
    EXPECT_EQ(got, w.corners) << w.what;
  }
}

// ---- life cycle ------------------------------------------------------------------------------
TEST(ChartLifecycle, Defaults) {
  Chart ch;
  TCustomZOdoza& c = ch.c;
  EXPECT_EQ(c.Width(), 280);
  EXPECT_EQ(c.Height(), 200);
  EXPECT_EQ(c.LRim(), 50);
  EXPECT_EQ(c.RRim(), 20);
  EXPECT_EQ(c.TRim(), 20);
  EXPECT_EQ(c.BRim(), 40);
  EXPECT_EQ(c.ActiveLayer(), 1);
  EXPECT_TRUE(c.SuppressPaint());
  EXPECT_TRUE(c.AutoRedraw());
  for (Integer n = 1; n <= 16; ++n) {
    EXPECT_TRUE(c.GetLayerVisib(n));
    EXPECT_EQ(c.GetMAffLayer(n), n == 1);
    EXPECT_EQ(c.GetScalePropsX(n)->ColorScale(), PredefinedColors[n - 1]);
    EXPECT_EQ(c.GetScalePropsX(n)->Visible(), n == 1);
    EXPECT_EQ(c.GetScalePropsY(n)->Visible(), n == 1);
    EXPECT_EQ(c.HelperScaleX(n)->NativeHandle(), nullptr);  // helpers have no widget
  }
  EXPECT_EQ(c.HelperScaleX(3)->Name(), "RC_FScale_X_3");
  EXPECT_EQ(c.HelperScaleY(16)->Name(), "RC_FScale_Y_16");
  EXPECT_EQ(c.Scale1X()->ScaleType(), sctXT);  // bottom of the data area
  EXPECT_EQ(c.Scale1Y()->ScaleType(), sctYR);
  EXPECT_EQ(c.GetScalePropsY(6)->ScalePos(), 100);
  EXPECT_EQ(c.CrossHair(2)->Layer(), 2);
  EXPECT_EQ(c.CrossHair(2)->Color(), 0x0000FF);
  EXPECT_EQ(c.CrossHair(5), nullptr);
  EXPECT_FALSE(c.TextLabel(30)->Visible());
  EXPECT_EQ(c.TextLabel(31), nullptr);
  EXPECT_EQ(c.GrafBmp()->Width(), 280 - 50 - 20 + 1);
  EXPECT_EQ(c.WMGetDlgCode(), 3);
  EXPECT_EQ(c.ExtractUserText("a|b|c", 2), "b");
  EXPECT_EQ(c.ExtractUserText("a|b|c", 4), "c");
  EXPECT_EQ(c.ExtractUserText("a|b|c", 0), "");
}

// Every helper axis of a new chart mirrors its layer's settings, and the margin on the side
// its axis moved away from (layers 2 ... 16 start on the far side) keeps the value it had
// there under the standard layout's margins (50/20/20/40 on 280 x 200).
TEST(ChartLifecycle, NewChartsHelperAxesAndTheirMargins) {
  const struct {
    Integer layer;
    TScaleType typeX, typeY;
    Integer x[4], y[4];  // top, bottom, left, right
    Integer capX, capY;  // the X helper's caption position
  } cases[] = {
      {1, sctXT, sctYR, {160, 20, 50, 19}, {20, 39, 20, 229}, 0, 22},
      {2, sctXT, sctYR, {160, 179, 50, 19}, {20, 39, 260, 229}, 10, 100},
      {3, sctXT, sctYR, {160, 20, 50, 19}, {20, 39, 20, 229}, 10, 100},
      {4, sctXT, sctYR, {160, 209, 50, 19}, {20, 39, 310, 229}, 10, 100},
      {5, sctXT, sctYR, {220, 20, 50, 19}, {20, 39, 20, 329}, 0, 0},
      {6, sctXB, sctYL, {20, 239, 50, 19}, {20, 39, 360, 20}, 0, 0},
      {16, sctXB, sctYL, {20, 389, 50, 19}, {20, 39, 610, 20}, 0, 0},
  };
  const auto margins = [](const TScale* s) {
    return std::vector<Integer>{s->MarginTop(), s->MarginBottom(), s->MarginLeft(),
                                s->MarginRight()};
  };
  Chart ch;
  const TCustomZOdoza& c = ch.c;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.layer);
    const TScale* sx = c.HelperScaleX(k.layer);
    const TScale* sy = c.HelperScaleY(k.layer);
    EXPECT_EQ(sx->ScaleType(), k.typeX);
    EXPECT_EQ(sy->ScaleType(), k.typeY);
    EXPECT_EQ(margins(sx), std::vector<Integer>(std::begin(k.x), std::end(k.x)));
    EXPECT_EQ(margins(sy), std::vector<Integer>(std::begin(k.y), std::end(k.y)));
    EXPECT_EQ(sx->CaptionPosX(), k.capX);
    EXPECT_EQ(sx->CaptionPosY(), k.capY);
    EXPECT_EQ(sx->Visible(), k.layer == 1);
    EXPECT_EQ(sy->Visible(), k.layer == 1);
    EXPECT_EQ(sx->ColorScale(), PredefinedColors[static_cast<size_t>(k.layer - 1)]);
    // Helper and chart agree on the pixels of the range's ends.
    Integer px = 0, py = 0;
    c.R2M(k.layer, 1, 1, px, py);
    EXPECT_EQ(sx->R2M(1), px);
    EXPECT_EQ(sy->R2M(1), py);
    EXPECT_EQ(px, 280 - 20);
    EXPECT_EQ(py, 20);
  }
}

TEST(ChartLifecycle, LayersAndCrossHairPositions) {
  Chart ch;
  ch.c.SetActiveLayer(3);
  ch.c.SetActiveLayer(0);
  ch.c.SetActiveLayer(17);
  EXPECT_EQ(ch.c.ActiveLayer(), 3);
  ch.c.SetCHPosX(5, 7);
  EXPECT_EQ(ch.c.GetCHPosX(5), 0);
  ch.c.SetCHPosX(2, 7);
  EXPECT_EQ(ch.c.GetCHPosX(2), 7);
  EXPECT_FALSE(ch.c.GetLayerVisib(17));
  ch.c.SetMAffLayer(17, true);
  EXPECT_FALSE(ch.c.GetMAffLayer(17));
}

TEST(ChartLifecycle, SetBoundsKeepsRoomForTheDataArea) {
  Chart ch;
  ch.ConstructorMargins();
  ch.c.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(ch.c.Height(), 68);  // 16 + 32 + 0 + 20
  EXPECT_EQ(ch.c.Width(), 140);  // 50 + 10 + 0 + 80
  EXPECT_EQ(ch.c.HelperScaleX(1)->Width(), 140);
  ch.SetRangeX(1, 0, 10);
  EXPECT_EQ(ch.Pixel(1, 10, 0).X, 130);
  EXPECT_EQ(ch.c.HelperScaleX(1)->R2M(10), 130);  // helper and chart agree on the pixel
  EXPECT_EQ(ch.paints, 0);
}

TEST(ChartLifecycle, MarginsMoveTheAxesAndIsometricRecentresY) {
  Chart ch;
  ch.c.SetLRim(80);
  EXPECT_EQ(ch.c.HelperScaleY(1)->MarginRight(), 280 - 80 - 1);  // the Y axis on the new edge
  EXPECT_EQ(ch.c.HelperScaleX(1)->MarginLeft(), 80);
  EXPECT_EQ(ch.c.GrafBmp()->Width(), 280 - 80 - 20 + 1);
  ch.c.SetF3DRim(40);
  EXPECT_EQ(ch.c.ShadowWidth(), 32);
  ch.c.SetF3DRim(-2);
  EXPECT_EQ(ch.c.ShadowWidth(), 0);
  ch.c.SetLRim(50);
  ch.c.SetBounds(0, 0, 470, 260);  // a data area of 401 x 201 pixels
  ch.SetRangeX(1, 0, 100);
  ch.SetRangeY(1, 0, 10);
  ch.c.SetIsoMetric(true);
  EXPECT_NEAR(ch.c.Scale1Y()->RangeLow(), 5 - 100.0 * 201 / 401 / 2, 1e-9);
  EXPECT_NEAR(ch.c.Scale1Y()->RangeHigh(), 5 + 100.0 * 201 / 401 / 2, 1e-9);
}

TEST(ChartLifecycle, AxisChangesPaintOnceUnlessSuppressed) {
  Chart ch;
  ch.c.Scale1X()->SetCaption("time");
  EXPECT_EQ(ch.paints, 0);
  ch.c.SetSuppressPaint(false);
  EXPECT_EQ(ch.paints, 1);
  ch.c.Scale1X()->SetCaption("frequency");
  EXPECT_EQ(ch.paints, 2);
  EXPECT_EQ(ch.c.HelperScaleX(1)->Caption(), "frequency");
  ch.c.SetAutoRedraw(false);
  ch.c.SetActiveLayer(2);  // repaints only with AutoRedraw
  EXPECT_EQ(ch.paints, 2);
  ch.c.SetLayerVisib(2, false);
  EXPECT_EQ(ch.paints, 3);
  ch.c.SetLayerVisib(2, false);
  EXPECT_EQ(ch.paints, 3);
}

TEST(ChartLifecycle, OnlyVisibleHelpersDoTextWork) {
  Chart ch;
  std::vector<TScaleType> labelled;
  ch.c.OnBeforeTickLabel = [&](TObject* S, TScaleType T, Double, String&) {
    EXPECT_EQ(S, &ch.c);
    labelled.push_back(T);
  };
  ch.c.SetSuppressPaint(false);
  ASSERT_FALSE(labelled.empty());
  for (TScaleType t : labelled) EXPECT_TRUE(t == sctXT || t == sctYR) << t;
}

TEST(ChartLifecycle, TickPositionsOfReversedAxesAreNumberedFromTheLowEnd) {
  Chart ch;
  ch.SetRangeX(1, 10, 0);
  ch.c.SetSuppressPaint(false);
  const Integer n = ch.c.GetTickPosXCnt();
  ASSERT_GT(n, 2);
  EXPECT_EQ(ch.c.GetTickPosX(1), ch.c.HelperScaleX(1)->GetTickPos(n));
  EXPECT_EQ(ch.c.GetTickPosX(n), ch.c.HelperScaleX(1)->GetTickPos(1));
  EXPECT_EQ(ch.c.GetTickPosX(0), 0);
  EXPECT_EQ(ch.c.GetTickPosX(n + 1), 0);
}

TEST(ChartLifecycle, ZoomHistory) {
  Chart ch;
  for (int zoom = 1; zoom <= 3; ++zoom) {
    ch.SetRangeX(1, 0, 10 * zoom);
    ch.c.ZoomStateOnStack();
  }
  ch.SetRangeX(1, -1, 1);
  ch.c.ZoomHistory(0);
  EXPECT_EQ(ch.c.Scale1X()->RangeHigh(), 30);
  ch.c.ZoomHistory(-1);
  EXPECT_EQ(ch.c.Scale1X()->RangeHigh(), 20);
  EXPECT_EQ(ch.c.HelperScaleX(1)->RangeHigh(), 20);
  ch.c.ZoomHistory(1);
  ch.c.ZoomHistory(-16);
  EXPECT_EQ(ch.c.Scale1X()->RangeHigh(), 20);
  ch.c.ZoomHistory(-10);  // an entry never written changes nothing
  EXPECT_EQ(ch.c.Scale1X()->RangeHigh(), 20);
  const TRectDouble e = ch.c.GetZoomStackEntry(1, -3);  // the state ClearZoomHistory kept
  EXPECT_EQ(e.Left, 0);
  EXPECT_EQ(e.Right, 1);
  EXPECT_EQ(e.Top, 1);
}

TEST(ChartLifecycle, AssignCopiesItemsRangesAndSettings) {
  Chart a, b;
  a.c.SetAllocSize(10);
  for (int i = 0; i < 25; ++i) a.c.AppendItem(Item(tkLineto, i, i));
  a.c.AppendItem(Item(tkText, 0, 0));
  a.c.SetDataLongText(25, "a long text of a chart");
  a.SetRangeX(2, -4, 4);
  a.c.Scale1Y()->SetCaption("dB");
  a.c.SetActiveLayer(2);
  b.c.Assign(&a.c);
  EXPECT_EQ(b.c.NumItems(), 26);
  EXPECT_EQ(b.c.NumAllocData(), 30);
  EXPECT_EQ(b.c.GetItemCount(tkLineto), 25);
  EXPECT_EQ(b.c.GetDataLongText(25), "a long text of a chart");
  EXPECT_EQ(b.c.GetScalePropsX(2)->RangeLow(), -4);
  EXPECT_EQ(b.c.HelperScaleY(1)->Caption(), "dB");
  EXPECT_EQ(b.c.ActiveLayer(), 2);
  EXPECT_EQ(b.Pixel(2, 0, 0), a.Pixel(2, 0, 0));
  // The copy keeps its own wiring: its settings change the copy, not the source.
  b.c.Scale1Y()->SetCaption("V");
  EXPECT_EQ(b.c.HelperScaleY(1)->Caption(), "V");
  EXPECT_EQ(a.c.HelperScaleY(1)->Caption(), "dB");
}

TEST(ChartLifecycle, SettingAxisSettingsCopiesValuesAndKeepsTheChartsWiring) {
  Chart ch;
  TScalePropsHoriz given;
  int foreign = 0;
  given.OnChange = [&](TObject*) { ++foreign; };
  given.SetCaption("from elsewhere");
  foreign = 0;
  ch.c.SetScalePropsX(1, &given);
  EXPECT_EQ(ch.c.HelperScaleX(1)->Caption(), "from elsewhere");
  ch.c.Scale1X()->SetCaption("own");  // still the chart's own handler
  EXPECT_EQ(ch.c.HelperScaleX(1)->Caption(), "own");
  EXPECT_EQ(foreign, 0);
  ch.c.SetScalePropsX(17, &given);  // outside 1 ... 16: nothing
  EXPECT_EQ(ch.c.Scale1X()->Caption(), "own");
}

// ---- a picture to look at ----------------------------------------------------------------------
TEST(ChartPicture, FourLayersWithTheirAxes) {
  const std::filesystem::path out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  Chart ch;
  TCustomZOdoza& c = ch.c;
  c.SetBounds(0, 0, 640, 400);
  c.SetStdLayout(rcl_X1Bottom_Y4Left);
  c.Scale1X()->SetCaption("frequency / MHz");
  const Double hi[5] = {0, 100, 1000, 1, 50};
  for (Integer n = 1; n <= 4; ++n) {
    ch.SetRangeY(n, n == 2 ? 1 : 0, hi[n]);
    c.GetScalePropsY(n)->SetCaption("layer " + std::to_string(n));
  }
  c.GetScalePropsY(2)->SetLogAx(true);
  ch.SetRangeX(1, 10, 1420);
  c.SetSuppressPaint(false);
  TCanvas* cv = c.ChartBmp()->Canvas();
  // Frame on the data-area edges, chart colour inside, each Y axis in its layer's colour.
  EXPECT_EQ(cv->GetPixel(c.LRim(), c.TRim()), clBlack);
  EXPECT_EQ(cv->GetPixel(640 - c.RRim(), 400 - c.BRim()), clBlack);
  EXPECT_EQ(cv->GetPixel(c.LRim() + 10, c.TRim() + 10), 0xFFFFFF);
  const Integer midRow = (c.TRim() + 400 - c.BRim()) / 2 + 3;
  for (Integer n = 2; n <= 4; ++n)
    EXPECT_EQ(cv->GetPixel(c.LRim() - (n - 1) * 50, midRow), PredefinedColors[n - 1]) << n;
  // The X axis's long ticks hang below the frame at the chart's own pixels.
  const TPoint tick = ch.Pixel(1, 1000, 0);
  EXPECT_EQ(cv->GetPixel(tick.X, 400 - c.BRim() + 6), clBlack);
  EXPECT_TRUE(SaveBitmapAsPNG(c.ChartBmp(), (out / "chart_four_layers.png").string()));
}
