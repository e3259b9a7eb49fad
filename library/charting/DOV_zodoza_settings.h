#pragma once
// The chart's plain settings: values with no ownership, wiring or shared data behind them.
// TCustomZOdoza holds them as a base, so its code names every field directly; a reset assigns
// a fresh TZOdozaSettings and a copy copies one, so a new setting is declared here with its
// default and nothing else has to list it. What a reset or a copy must treat otherwise stays
// in the chart class itself.

#include <array>
#include <cstddef>

#include "DOV_zodoza_helpers.h"

enum TCaptionAnchorHoriz {
  cahControlLeft,
  cahChartLeft,
  cahChartCenter,
  cahChartRight,
  cahControlRight
};
enum TCaptionAnchorVert {
  cavControlTop,
  cavChartTop,
  cavChartCenter,
  cavChartBottom,
  cavControlBottom
};
enum GridStyleType {
  gsNone,
  gsPoints,
  gsVertLines,
  gsHorizLines,
  gsLines,
  gsVertDotLines,
  gsHorizDotLines,
  gsDotLines
};
enum TTextBkStyle { tbClear, tbSolid };

namespace ZOdozaSettingsDetail {
template <std::size_t N>
constexpr std::array<bool, N> AllTrue() {
  std::array<bool, N> a{};
  a.fill(true);
  return a;
}
}  // namespace ZOdozaSettingsDetail

struct TZOdozaSettings {
  // ---- display list ----
  Integer FAllocSize = 1000;
  bool FAnnoMode = false;
  bool FAnnoBelowChart = false;
  bool FAnnoTextOnTop = true;
  bool FAnnosVisible = true;
  Integer FDataTag = 0;
  Byte RcClassDefault = 0;
  std::array<bool, 256> FItClassVisib = ZOdozaSettingsDetail::AllTrue<256>(),
                        FAnnoClassVisib = ZOdozaSettingsDetail::AllTrue<256>();

  // ---- layers and zoom ----
  Integer FActiveLayer = 1;
  // Index 1 ... 16; only layer 1 follows the mouse at first.
  std::array<bool, kNumLayers + 1> FLayerVisib = ZOdozaSettingsDetail::AllTrue<kNumLayers + 1>();
  std::array<bool, kNumLayers + 1> FMouseAffLayer = {false, true};
  // The area zooming and panning may not leave (LoX, LoY, HiX, HiY); all zero: none.
  std::array<long double, 4> FZoomRange{};

  // ---- appearance ----
  // The constructor's margins; a reset then applies the standard layout's.
  Integer RcLRim = 50, RcRRim = 10, RcTRim = 16, RcBRim = 32;
  Integer F3DRim = 0;
  TShadowStyle RcShadowStyle = ssFlying;
  TColor FShadowColor = clGrayText, RcShadowBakCol = clBtnFace;
  TColor RcDataCol = clBlack, FChartFrameCol = clBlack, RcGridCol = clBlack;
  TPenStyle RcPenStyle = psSolid;
  TColor RcFillCol = 0xC0C0C0, RcChartCol = 0xFFFFFF, RcWindCol = clBtnFace;
  Integer RcLineWid = 1;
  Integer FPanGridDx = 1, FPanGridDy = 1, FPanGridOffsX = 0, FPanGridOffsY = 0;
  String FChartCaption;
  Integer FCaptTrim = 100, FCaptPosX = 0, FCaptPosY = -15;
  TAlignment FCaptAlignment = taRightJustify;
  TCaptionAnchorHoriz FCaptAnchorX = cahChartRight;
  TCaptionAnchorVert FCaptAnchorY = cavChartTop;
  GridStyleType RcGridStyle = gsNone;
  Double RcGridDx = 0, RcGridDy = 0;
  TTextBkStyle FTextBkStyle = tbClear;
  TAlignment FTextAlignment = taCenter;
  bool FIsometric = false;
  bool FTranspItems = false;
  TFigType RcXLabelType = ftNum, RcYLabelType = ftNum;
  Double Fxasp = 1, Fyasp = 1;  // the display's pixels are square

  // ---- behaviour and state a copy takes along ----
  TMouseActMode RcMouseAction = maNone;
  bool FMCurFixed = true;
  bool FAvoidDupMarks = false;
  Integer FDupMarksMinD = 1;
  bool FAutoRedraw = true;
  bool FSuppressPaint = true;
  TZoomState FZoomState = zsNormal;
  TMouseBoxState FMouseBoxState = msNormal;
  Double FMousePosX = 0, FMousePosY = 0;
};
