// The chart's mouse handling driven by synthesised moves through the toolkit's mouse-move entry
// (the control's MouseMove): the world position reported through OnMouseMoveInChart, the
// inside test of the data area, the kept mouse position and the dropped nested message; and the
// published chart as a window description creates and sets it.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

#include "DOV_zodozaPub.h"
#include "FormLoader.h"
#include "ExtCtrls.h"
#include "Forms.h"

namespace {

// The toolkit calls MouseMove for every move of the pointer over the control.
struct TMouseChart : TCustomZOdoza {
  TMouseChart() : TCustomZOdoza(nullptr) {}
  void Move(int X, int Y, TShiftState Shift = 0) { MouseMove(Shift, X, Y); }
  void Down(int X, int Y, TMouseButton B = mbLeft) { MouseDown(B, ssLeft, X, Y); }
  void Up(int X, int Y, TMouseButton B = mbLeft) { MouseUp(B, 0, X, Y); }
  // Press, a few moves with the button held, release.
  void Drag(int X1, int Y1, int X2, int Y2, TMouseButton B = mbLeft) {
    Down(X1, Y1, B);
    const TShiftState held = B == mbLeft ? ssLeft : ssRight;
    Move(X1, Y1, held);
    Move((X1 + X2) / 2, (Y1 + Y2) / 2, held);
    Move(X2, Y2, held);
    Up(X2, Y2, B);
  }
  void DoubleClickAt(int X, int Y) {
    Move(X, Y);
    Down(X, Y);
    Up(X, Y);
    DblClick();
    Down(X, Y);  // the toolkit's press of the double click is swallowed
    Up(X, Y);
  }
};

// 400 x 300, margins 50/10/20/30, shadow 0: the data area is x 50 ... 390, y 20 ... 270.
struct Fixture {
  TMouseChart c;
  struct Report {
    bool InChart;
    TShiftState Shift;
    Double X, Y;
  };
  std::vector<Report> reports;
  Fixture() {
    c.SetBounds(0, 0, 400, 300);
    c.SetLRim(50);
    c.SetRRim(10);
    c.SetTRim(20);
    c.SetBRim(30);
    c.ForceRange(1, 0, 0, 10, 10);
    c.OnMouseMoveInChart = [this](TObject*, bool In, TShiftState S, Double x, Double y) {
      reports.push_back({In, S, x, y});
    };
  }
  Report World(int X, int Y) const {
    Double x = 0, y = 0;
    c.M2R(c.ActiveLayer(), X, Y, x, y);
    return {true, 0, x, y};
  }
};

TEST(ChartMouseMove, ReportsTheWorldPositionAndWhetherItIsInTheDataArea) {
  struct Case {
    int X, Y;
    bool Inside;
  };
  const Case cases[] = {
      {220, 150, true}, {50, 20, true},    {390, 270, true},  // the frame's corners belong to it
      {49, 150, false}, {391, 150, false}, {220, 19, false}, {220, 271, false}, {-5, -5, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.X) + "," + std::to_string(k.Y));
    Fixture f;
    f.c.Move(k.X, k.Y, ssShift);
    ASSERT_EQ(f.reports.size(), 1u);
    const auto expected = f.World(k.X, k.Y);
    EXPECT_EQ(f.reports[0].InChart, k.Inside);
    EXPECT_EQ(f.reports[0].Shift, static_cast<TShiftState>(ssShift));
    EXPECT_DOUBLE_EQ(f.reports[0].X, expected.X);  // extrapolated outside
    EXPECT_DOUBLE_EQ(f.reports[0].Y, expected.Y);
    EXPECT_DOUBLE_EQ(f.c.MousePosX(), k.Inside ? expected.X : 0);
    EXPECT_DOUBLE_EQ(f.c.MousePosY(), k.Inside ? expected.Y : 0);
  }
}

TEST(ChartMouseMove, APositionOutsideKeepsTheLastOneInside) {
  Fixture f;
  f.c.Move(220, 145);
  f.c.Move(10, 10);
  EXPECT_DOUBLE_EQ(f.c.MousePosX(), 5);
  EXPECT_DOUBLE_EQ(f.c.MousePosY(), 5);
  // The world position of the active layer.
  f.c.ForceRange(2, 100, 100, 200, 200);
  f.c.SetActiveLayer(2);
  f.c.Move(220, 145);
  EXPECT_DOUBLE_EQ(f.reports.back().X, 150);
  EXPECT_DOUBLE_EQ(f.reports.back().Y, 150);
}

TEST(ChartMouseMove, AMoveWhileTheHandlerRunsIsDropped) {
  Fixture f;
  int nested = 0;
  f.c.OnMouseMoveInChart = [&](TObject*, bool, TShiftState, Double, Double) {
    ++nested;
    if (nested == 1) f.c.Move(100, 100);  // as from message processing in the handler
  };
  f.c.Move(220, 150);
  EXPECT_EQ(nested, 1);
  f.c.Move(220, 150);  // and the next one is handled again
  EXPECT_EQ(nested, 2);
  // A handler that throws leaves the chart able to report the next move.
  f.c.OnMouseMoveInChart = [&](TObject*, bool, TShiftState, Double, Double) {
    ++nested;
    throw std::runtime_error("handler");
  };
  EXPECT_THROW(f.c.Move(220, 150), std::runtime_error);
  EXPECT_THROW(f.c.Move(220, 150), std::runtime_error);
  EXPECT_EQ(nested, 4);
}

struct Ranges {
  Double LoX, HiX, LoY, HiY;
  bool operator==(const Ranges&) const = default;
};
Ranges RangesOf(const TCustomZOdoza& c, Integer Layer = 1) {
  return {c.GetScalePropsX(Layer)->RangeLow(), c.GetScalePropsX(Layer)->RangeHigh(),
          c.GetScalePropsY(Layer)->RangeLow(), c.GetScalePropsY(Layer)->RangeHigh()};
}
void PrintTo(const Ranges& r, std::ostream* os) {
  *os << r.LoX << ".." << r.HiX << " x " << r.LoY << ".." << r.HiY;
}

TEST(ChartMouseWindow, AWindowZoomsToItsCornersAndAClickChangesNothing) {
  Fixture f;
  f.c.SetMouseAction(maZoomWind);
  const auto a = f.World(100, 50), b = f.World(200, 150);
  f.c.Drag(100, 50, 200, 150);
  EXPECT_EQ(f.c.ZoomState(), zsNormal);
  EXPECT_EQ(RangesOf(f.c), (Ranges{a.X, b.X, b.Y, a.Y}));

  Fixture g;
  g.c.SetMouseAction(maZoomWind);
  g.c.Drag(100, 50, 100, 50);
  EXPECT_EQ(RangesOf(g.c), (Ranges{0, 10, 0, 10}));
}

TEST(ChartMouseWindow, OnlyAWindowDrawnAgainstAnAxisReversesIt) {
  // The ordinary gesture runs from top left to bottom right; the window mode turns an axis
  // round when it is drawn the other way along it, the positive window mode never does.
  struct Case {
    int X1, Y1, X2, Y2;
    TMouseActMode Mode;
    Double StartLoY, StartHiY;  // the Y axis before the zoom
    bool ReversedX, ReversedY;  // after it
  } cases[] = {
      {100, 50, 200, 150, maZoomWind, 0, 10, false, false},
      {200, 50, 100, 150, maZoomWind, 0, 10, true, false},
      {100, 150, 200, 50, maZoomWind, 0, 10, false, true},
      {200, 150, 100, 50, maZoomWind, 0, 10, true, true},
      {100, 50, 200, 150, maZoomWind, 10, 0, false, true},  // a reversed axis stays reversed
      {100, 150, 200, 50, maZoomWind, 10, 0, false, false},
      {200, 150, 100, 50, maZoomWindPos, 0, 10, false, false},
      {200, 150, 100, 50, maZoomWindPos, 10, 0, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.X1) + "," + std::to_string(k.Y1) + " to " + std::to_string(k.X2) +
                 "," + std::to_string(k.Y2) + " mode " + std::to_string(k.Mode) + " Y " +
                 std::to_string(k.StartLoY));
    Fixture f;
    f.c.ForceRange(1, 0, k.StartLoY, 10, k.StartHiY);
    f.c.SetMouseAction(k.Mode);
    const auto a = f.World(k.X1, k.Y1), b = f.World(k.X2, k.Y2);
    f.c.Drag(k.X1, k.Y1, k.X2, k.Y2);
    const Ranges r = RangesOf(f.c);
    EXPECT_EQ(r.LoX > r.HiX, k.ReversedX);
    EXPECT_EQ(r.LoY > r.HiY, k.ReversedY);
    EXPECT_EQ(std::min(r.LoX, r.HiX), std::min(a.X, b.X));  // the window's corners
    EXPECT_EQ(std::max(r.LoY, r.HiY), std::max(a.Y, b.Y));
  }
}

TEST(ChartMouseWindow, TheRightButtonCancelsAWindowAndEventsReportIt) {
  Fixture f;
  f.c.SetMouseAction(maZoomWind);
  f.c.Down(100, 50);
  f.c.Move(200, 150, ssLeft);
  EXPECT_EQ(f.c.ZoomState(), zsDrawWin);
  f.c.Up(200, 150, mbRight);
  EXPECT_EQ(f.c.ZoomState(), zsNormal);
  EXPECT_EQ(RangesOf(f.c), (Ranges{0, 10, 0, 10}));

  Fixture g;
  g.c.SetMouseAction(maSelectRect);
  int layer = 0;
  Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  g.c.OnSelectRect = [&](TObject*, Integer l, Double a, Double b, Double c, Double d) {
    layer = l, x1 = a, y1 = b, x2 = c, y2 = d;
  };
  g.c.Drag(200, 50, 100, 150);
  EXPECT_EQ(layer, 1);
  EXPECT_LT(x1, x2);  // in the axes' direction
  EXPECT_LT(y1, y2);
  EXPECT_EQ(RangesOf(g.c), (Ranges{0, 10, 0, 10}));
}

TEST(ChartMousePan, DraggingShiftsTheRangeByThePixelsMoved) {
  Fixture f;
  f.c.SetBounds(0, 0, 280, 300);  // data area 220 pixels wide
  f.c.SetMouseAction(maPan);
  f.c.Drag(100, 100, 122, 100);
  const Ranges r = RangesOf(f.c);
  EXPECT_NEAR(r.LoX, -1, 1e-9);
  EXPECT_NEAR(r.HiX, 9, 1e-9);
  EXPECT_NEAR(r.LoY, 0, 1e-9);

  // On the pan grid the low end stays on whole steps (truncated toward zero).
  Fixture g;
  g.c.SetBounds(0, 0, 280, 300);
  g.c.SetMouseAction(maPanGrid);
  g.c.Drag(100, 100, 111, 100);  // half a unit: -0.5 truncates to 0
  EXPECT_EQ(RangesOf(g.c).LoX, 0);
  g.c.Drag(100, 100, 133, 100);  // one and a half: -1.5 to -1
  EXPECT_EQ(RangesOf(g.c).LoX, -1);
  EXPECT_EQ(RangesOf(g.c).HiX, 9);
}

TEST(ChartMouseCrossHair, ThePressChoosesTheNearestLine) {
  Fixture f;
  f.c.SetMouseAction(maDragCrossH);
  f.c.CrossHairSetup(1, 0, chVert, psSolid, 1);
  f.c.CrossHairSetup(2, 0, chVert, psSolid, 1);
  Double x = 0, y = 0;
  f.c.M2R(1, 100, 150, x, y);
  f.c.CrossHairSetPos(1, x, y);
  f.c.M2R(1, 110, 150, x, y);
  f.c.CrossHairSetPos(2, x, y);
  int moved = 0;
  f.c.OnCrossHairMove = [&](TObject*, Integer ch) { moved = ch; };
  f.c.Drag(104, 150, 300, 150);
  EXPECT_EQ(moved, 1);
  EXPECT_DOUBLE_EQ(f.c.CrossHair(1)->PosX(), f.World(300, 150).X);

  // A veto leaves the cross hair where it is.
  f.c.OnBeforeCrossHairMove = [](TObject*, Integer, Integer, Integer, bool& Allow) {
    Allow = false;
  };
  const Double before = f.c.CrossHair(1)->PosX();
  f.c.Drag(300, 150, 200, 150);
  EXPECT_EQ(f.c.CrossHair(1)->PosX(), before);
}

TEST(ChartMouseTrace, StopsAt5000PointsAndAReleaseEndsTheStroke) {
  Fixture f;
  f.c.SetMouseAction(maDrawMTrace);
  f.c.Down(100, 100);
  for (int i = 0; i < 5010; ++i) f.c.Move(100 + i % 200, 100, ssLeft);
  EXPECT_EQ(f.c.NumMTracePoints(), 5000);
  f.c.Up(100, 100);
  EXPECT_EQ(f.c.GetMTracePoint(5000).Flag & 1, 1);
  EXPECT_EQ(f.c.GetMTracePoint(4999).Flag & 1, 0);
}

TEST(ChartMouseTrace, AZoomedTraceKeepsItsPlace) {
  // One stroke across the data area, then the chart zoomed 500 times onto its middle: the
  // trace still runs through its points (probes within a pixel up or down).
  Fixture f;
  f.c.SetMouseTraceColor(0x0000FF);
  f.c.SetMouseTraceInvert(false);
  f.c.SetMouseAction(maDrawMTrace);
  f.c.Down(60, 260);
  f.c.Move(60, 260, ssLeft);
  f.c.Move(380, 30, ssLeft);
  f.c.Up(380, 30);
  ASSERT_EQ(f.c.NumMTracePoints(), 2);
  const TColoredPoint a = f.c.GetMTracePoint(1), b = f.c.GetMTracePoint(2);
  const Double mx = (a.X + b.X) / 2, my = (a.Y + b.Y) / 2;
  const Double hx = (b.X - a.X) / 1000, hy = (b.Y - a.Y) / 1000;
  f.c.ForceRange(1, mx - 0.01, my - 0.01, mx + 0.01, my + 0.01);
  f.c.SetSuppressPaint(false);
  for (const Double t : {-0.9, -0.5, 0.0, 0.5, 0.9}) {
    Integer px = 0, py = 0;
    f.c.R2M(1, mx + t * hx, my + t * hy, px, py);
    const TCanvas* g = f.c.GrafBmp()->Canvas();
    const Integer x = px - 50, y = py - 20;
    EXPECT_TRUE(g->GetPixel(x, y - 1) == 0x0000FF || g->GetPixel(x, y) == 0x0000FF ||
                g->GetPixel(x, y + 1) == 0x0000FF)
        << "t " << t << " at pixel " << x << ", " << y;
  }
}

TEST(ChartMouseAxis, ADoubleClickOnAnAxisTogglesPanAndZoom) {
  Fixture f;
  TScalePropsHoriz* x = f.c.GetScalePropsX(1);
  x->SetVisible(true);
  x->SetScaleType(sctXT);
  x->SetMouseAction(maPan);
  const int onAxis = 300 - 30 + 10;  // below the data area, within the axis zone
  ASSERT_EQ(f.c.DetectScale(200, onAxis), -1);
  f.c.DoubleClickAt(200, onAxis);
  EXPECT_EQ(x->MouseAction(), maZoom);
  f.c.DoubleClickAt(200, onAxis);
  EXPECT_EQ(x->MouseAction(), maPan);
  x->SetMouseAction(maNone);
  f.c.DoubleClickAt(200, onAxis);
  EXPECT_EQ(x->MouseAction(), maNone);

  // Dragging along a panning axis pans that axis only.
  x->SetMouseAction(maPan);
  f.c.Drag(200, onAxis, 234, onAxis);
  EXPECT_LT(RangesOf(f.c).LoX, 0);
  EXPECT_EQ(RangesOf(f.c).LoY, 0);
}

TEST(ChartMouseBox, TheRightButtonFirstAnswersFalseAndADragGivesTheBox) {
  Fixture f;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(1);
  timer->OnTimer = [&](TObject*) {
    timer->SetEnabled(false);
    f.c.Down(100, 100, mbRight);
  };
  Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  EXPECT_FALSE(f.c.MouseBox(x1, y1, x2, y2));
  EXPECT_EQ(f.c.MouseBoxState(), msNormal);

  timer->OnTimer = [&](TObject*) {
    timer->SetEnabled(false);
    f.c.Drag(200, 150, 100, 50);
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(f.c.MouseBox(x1, y1, x2, y2));
  EXPECT_DOUBLE_EQ(x1, f.World(100, 50).X);
  EXPECT_DOUBLE_EQ(x2, f.World(200, 150).X);
  EXPECT_LT(y1, y2);
  delete timer;
}

TEST(ChartMouseBox, AWaitEndsWithFalseWhenTheChartGoesAndSleepsMeanwhile) {
  struct Case {
    const char* Name;
    std::function<void(TMouseChart*&)> End;  // what a timer does while the box waits
  } cases[] = {
      {"hidden", [](TMouseChart*& c) { c->Hide(); }},
      {"destroyed",
       [](TMouseChart*& c) {
         delete c;
         c = nullptr;
       }},
      {"aborted", [](TMouseChart*& c) { c->MouseBoxAbort(); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    auto* chart = new TMouseChart;
    chart->SetBounds(0, 0, 400, 300);
    TTimer timer(nullptr);
    timer.SetInterval(200);
    timer.OnTimer = [&](TObject*) {
      timer.SetEnabled(false);
      k.End(chart);
    };
    const std::clock_t cpu0 = std::clock();
    const auto wall0 = std::chrono::steady_clock::now();
    Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    EXPECT_FALSE(chart->MouseBox(x1, y1, x2, y2));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    EXPECT_GE(wall, 0.15);
    EXPECT_LT(cpu, wall / 2) << "the wait kept the processor busy";
    if (chart != nullptr) {
      EXPECT_EQ(chart->MouseBoxState(), msNormal);
    }
    delete chart;
  }
}

TEST(PublishedChart, TheDescriptionSetsItsStoredSettings) {
  RegisterToolkitClasses();
  RegisterChartingClasses();
  TForm form(nullptr);
  LoadDescriptionInto(&form, R"(object Form: TForm
  object Chart: TZOdoza
    Left = 8
    Top = 40
    Width = 640
    Height = 470
    LRim = 55
    MarginRight = 5
    TRim = 25
    BRim = 25
    AutoRedraw = False
    GridStyle = gsHorizDotLines
    GridColor = clOlive
    GridDx = 5
    GridDy = 50
    ChartColor = clWhite
    ShadowStyle = ssFlying
    ShadowColor = clGray
    MouseAction = maNone
    Caption = "Noise"
    CaptionAnchorHoriz = cahChartCenter
    FillColor = 255
    PenStyle = psDot
    Isometric = True
  end
end
)",
                      "test");
  auto* chart = dynamic_cast<TZOdoza*>(form.FindComponent("Chart"));
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->LRim(), 55);
  EXPECT_EQ(chart->RRim(), 5);
  EXPECT_EQ(chart->BRim(), 25);
  EXPECT_FALSE(chart->AutoRedraw());
  EXPECT_EQ(chart->GridStyle(), gsHorizDotLines);
  EXPECT_EQ(chart->GridColor(), static_cast<TColor>(0x008080));
  EXPECT_DOUBLE_EQ(chart->GridDy(), 50);
  EXPECT_EQ(chart->ChartColor(), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(chart->MouseAction(), maNone);
  EXPECT_EQ(chart->Width(), 640);
  EXPECT_EQ(chart->Caption(), "Noise");
  EXPECT_EQ(chart->CaptionAnchorHoriz(), cahChartCenter);
  EXPECT_EQ(chart->FillColor(), static_cast<TColor>(255));
  EXPECT_EQ(chart->PenStyle(), psDot);
  EXPECT_TRUE(chart->Isometric());
  // Construction suppresses painting; the window's creation ends it.
  EXPECT_TRUE(chart->SuppressPaint());
  form.Show();
  chart->HandleNeeded();
  EXPECT_FALSE(chart->SuppressPaint());

  EXPECT_THROW(LoadDescriptionInto(&form, R"(object Form: TForm
  object Bad: TZOdoza
    GridStyle = gsWavy
  end
end
)",
                                   "bad"),
               Exception);
}

}  // namespace
