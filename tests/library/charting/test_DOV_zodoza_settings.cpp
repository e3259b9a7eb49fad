// The chart's plain settings as a whole: what Assign copies, what ResetComp puts back, and the
// few values either leaves alone. Every row sets one value to something no chart starts with,
// so a field left out of a copy or a reset shows up by name.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <type_traits>
#include <vector>

#include "DOV_zodoza.h"

namespace {

template <typename T>
String AsText(const T& v) {
  std::ostringstream o;
  o.precision(17);
  if constexpr (std::is_enum_v<T>)
    o << static_cast<long long>(v);
  else if constexpr (std::is_same_v<T, Byte>)
    o << int{v};
  else if constexpr (std::is_arithmetic_v<T> || std::is_same_v<T, String>)
    o << v;
  else
    for (const auto& e : v) o << AsText(e) << ' ';
  return o.str();
}

// A chart whose protected settings the table below can reach.
struct OpenChart : TCustomZOdoza {
  OpenChart() : TCustomZOdoza(nullptr) {}

  struct Row {
    String Name;
    bool Copied, Reset;
    std::function<void(OpenChart&)> Set;
    std::function<String(const OpenChart&)> Text;
  };

  template <typename P, typename V>
  static Row Field(const char* Name, P Member, V Value, bool Copied = true, bool Reset = true) {
    return {Name, Copied, Reset, [Member, Value](OpenChart& c) { c.*Member = Value; },
            [Member](const OpenChart& c) { return AsText(c.*Member); }};
  }
  template <typename P>
  static Row Flip(const char* Name, P Member, size_t Index) {
    return {Name, true, true, [Member, Index](OpenChart& c) { (c.*Member)[Index] ^= true; },
            [Member](const OpenChart& c) { return AsText(c.*Member); }};
  }

  static std::vector<Row> Rows() {
    using C = OpenChart;
    return {
        Field("FAllocSize", &C::FAllocSize, 7),
        Field("RcLRim", &C::RcLRim, 61),
        Field("RcRRim", &C::RcRRim, 23),
        Field("RcTRim", &C::RcTRim, 27),
        Field("RcBRim", &C::RcBRim, 45),
        Field("F3DRim", &C::F3DRim, 5),
        Field("RcShadowStyle", &C::RcShadowStyle, ssBox),
        Field("FShadowColor", &C::FShadowColor, 0x123456),
        Field("RcShadowBakCol", &C::RcShadowBakCol, 0x234567),
        Field("RcGridStyle", &C::RcGridStyle, gsDotLines),
        Field("RcGridDx", &C::RcGridDx, 0.25),
        Field("RcGridDy", &C::RcGridDy, 0.5),
        Field("RcGridCol", &C::RcGridCol, 0x345678),
        Field("RcDataCol", &C::RcDataCol, 0x456789),
        Field("RcPenStyle", &C::RcPenStyle, psDot),
        Field("FChartFrameCol", &C::FChartFrameCol, 0x56789A),
        Field("RcFillCol", &C::RcFillCol, 0x6789AB),
        Field("RcChartCol", &C::RcChartCol, 0x789ABC),
        Field("RcWindCol", &C::RcWindCol, 0x89ABCD),
        Field("RcLineWid", &C::RcLineWid, 3),
        Field("RcMouseAction", &C::RcMouseAction, maPanGrid),
        Field("FZoomState", &C::FZoomState, zsDrawWin),
        Field("FMouseBoxState", &C::FMouseBoxState, msRectDraw),
        Field("FPanGridDx", &C::FPanGridDx, 4),
        Field("FPanGridDy", &C::FPanGridDy, 6),
        Field("FPanGridOffsX", &C::FPanGridOffsX, 2),
        Field("FPanGridOffsY", &C::FPanGridOffsY, 3),
        Field("FChartCaption", &C::FChartCaption, String("sky at 1420 MHz")),
        Field("FCaptTrim", &C::FCaptTrim, 80),
        Field("FCaptPosX", &C::FCaptPosX, 12),
        Field("FCaptPosY", &C::FCaptPosY, -7),
        Field("FCaptAlignment", &C::FCaptAlignment, taLeftJustify),
        Field("FCaptAnchorX", &C::FCaptAnchorX, cahControlLeft),
        Field("FCaptAnchorY", &C::FCaptAnchorY, cavChartBottom),
        Field("FActiveLayer", &C::FActiveLayer, 3),
        Field("RcXLabelType", &C::RcXLabelType, ftTime),
        Field("RcYLabelType", &C::RcYLabelType, ftUserText),
        Field("FMousePosX", &C::FMousePosX, 1.5),
        Field("FMousePosY", &C::FMousePosY, -2.5),
        Field("FMCurFixed", &C::FMCurFixed, false),
        Field("FAvoidDupMarks", &C::FAvoidDupMarks, true),
        Field("FDupMarksMinD", &C::FDupMarksMinD, 4),
        Field("FAutoRedraw", &C::FAutoRedraw, false),
        Field("FTextBkStyle", &C::FTextBkStyle, tbSolid),
        Field("FTextAlignment", &C::FTextAlignment, taRightJustify),
        Field("Fxasp", &C::Fxasp, 1.25),
        Field("Fyasp", &C::Fyasp, 0.75),
        Field("FIsometric", &C::FIsometric, true),
        Field("FTranspItems", &C::FTranspItems, true),
        Field("FAnnoMode", &C::FAnnoMode, true),
        Field("FAnnoBelowChart", &C::FAnnoBelowChart, true),
        Field("FAnnoTextOnTop", &C::FAnnoTextOnTop, false),
        Field("FAnnosVisible", &C::FAnnosVisible, false),
        Field("FDataTag", &C::FDataTag, 99),
        Field("RcClassDefault", &C::RcClassDefault, Byte{17}),
        Field("FSuppressPaint", &C::FSuppressPaint, false),
        Flip("FItClassVisib", &C::FItClassVisib, 7),
        Flip("FAnnoClassVisib", &C::FAnnoClassVisib, 200),
        Flip("FLayerVisib", &C::FLayerVisib, 4),
        Flip("FMouseAffLayer", &C::FMouseAffLayer, 5),
        Field("FZStackPoi", &C::FZStackPoi, 6),
        Field("FZoomRange", &C::FZoomRange, std::array<long double, 4>{-1, -2, 3, 4}),
        // A copy keeps its own standard layout; the mouse trace's look is the constructor's.
        Field("FStdLayout", &C::FStdLayout, rcl_X2Both_Y2Both, false, true),
        Field("FColorMTrace", &C::FColorMTrace, 0x00FF00, false, false),
        Field("FMTraceInvert", &C::FMTraceInvert, false, false, false),
    };
  }
};

TEST(ChartSettings, AssignCopiesAndResetCompRestoresEverySetting) {
  const std::vector<OpenChart::Row> rows = OpenChart::Rows();
  OpenChart fresh, source, copy;
  for (const auto& r : rows) {
    r.Set(source);
    ASSERT_NE(r.Text(source), r.Text(fresh)) << r.Name << ": the row's value is a default";
  }
  std::vector<String> given;
  for (const auto& r : rows) given.push_back(r.Text(source));

  copy.Assign(&source);
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].Text(copy), rows[i].Copied ? given[i] : rows[i].Text(fresh))
        << rows[i].Name;

  source.ResetComp();
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].Text(source), rows[i].Reset ? rows[i].Text(fresh) : given[i])
        << rows[i].Name;
}

}  // namespace
