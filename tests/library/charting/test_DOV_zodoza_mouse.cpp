// The chart's mouse handling driven by synthesised moves through the toolkit's mouse-move entry
// (the control's MouseMove): the world position reported through OnMouseMoveInChart, the
// inside test of the data area, the kept mouse position and the dropped nested message; and the
// published chart as a window description creates and sets it.
#include <gtest/gtest.h>

#include <vector>

#include "DOV_zodozaPub.h"
#include "FormLoader.h"
#include "Forms.h"

namespace {

// The toolkit calls MouseMove for every move of the pointer over the control.
struct TMouseChart : TCustomZOdoza {
  TMouseChart() : TCustomZOdoza(nullptr) {}
  void Move(int X, int Y, TShiftState Shift = 0) { MouseMove(Shift, X, Y); }
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
      {220, 150, true}, {50, 20, true},   {390, 270, true},  // the frame's corners belong to it
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
