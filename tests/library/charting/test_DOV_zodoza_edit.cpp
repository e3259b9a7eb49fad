// Reading, changing, searching and removing data items of a chart after they were appended.
#include <gtest/gtest.h>

#include <array>

#include "DOV_zodoza.h"

namespace {

constexpr Double kNoneFound = 1.3038404810405297e154;

// 400 x 300, margins 50/10/20/30, axes 0 ... 10; items: a move, two marks, a line.
struct Items {
  TCustomZOdoza c{nullptr};
  Items() {
    c.SetBounds(0, 0, 400, 300);
    c.SetLRim(50);
    c.SetRRim(10);
    c.SetTRim(20);
    c.SetBRim(30);
    c.ForceRange(1, 0, 0, 10, 10);
    c.MoveTo(1.0, 1.0);          // 0
    c.MarkAt(3.0, 3.0, 10);      // 1
    c.MarkAt(5.0, 3.0, 10);      // 2
    c.Line(2.0, 8.0, 4.0, 9.0);  // 3
  }
};

TEST(ChartItemSearch, NearestItemRules) {
  Items t;
  Double d = 0;
  // Equal distance: the lower index.
  EXPECT_EQ(t.c.FindNearestItemReal(4, 3, tkEverything, 255, d), 1);
  EXPECT_DOUBLE_EQ(d, 1);
  // tkNotMoveTo never gives the move; tkNone nothing.
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkNotMoveTo, 255, d), 1);
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkNone, 255, d), -1);
  EXPECT_DOUBLE_EQ(d, kNoneFound);
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkLine, 255, d), 3);
  // A class that no item has.
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkEverything, 7, d), -1);
  // Hidden layers are skipped only when asked.
  t.c.SetLayerVisib(1, false);
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkEverything, 255, true, d), -1);
  EXPECT_EQ(t.c.FindNearestItemReal(1, 1, tkEverything, 255, false, d), 0);
  // In pixels: the axes are 340 x 250 pixels for 10 units, so (5, 3) is nearer along Y.
  t.c.SetLayerVisib(1, true);
  EXPECT_EQ(t.c.FindNearestItemScreen(4.9, 3.0, tkMarkAt, 255, d), 2);
  EXPECT_EQ(t.c.FindNearestItemAlongAxis(2.9, atXAxis, tkEverything, 255, d), 1);
  EXPECT_EQ(t.c.FindNearestItemAlongAxis(8.5, atYAxis, tkEverything, 255, d), 3);
  EXPECT_EQ(t.c.FindNearestItemAlongAxis(8.5, atZAxis, tkEverything, 255, d), -1);
}

TEST(ChartItemEdit, ClassesColoursScalingAndParams) {
  Items t;
  EXPECT_EQ(t.c.MarkItemsInWindow(6, 4, 2, 2, tkMarkAt, 5), 2);  // bounds put in order
  EXPECT_EQ(t.c.MarkItemsInWindow(0, 0, 10, 10, tkMarkAt, 255), 0);
  t.c.NewColorOfClassItems(0x00FF00, 5);
  EXPECT_EQ(t.c.GetItemParams(1).Color, 0x00FF00);
  EXPECT_NE(t.c.GetItemParams(3).Color, 0x00FF00);
  t.c.MarkAllItems(tkNotMoveTo, 9);
  EXPECT_EQ(t.c.GetItemParams(0).ItemClass, 0);
  EXPECT_EQ(t.c.GetItemParams(3).ItemClass, 9);

  t.c.ScaleAllItems(2, 1, 3, -1);
  EXPECT_DOUBLE_EQ(t.c.GetItemParams(1).x, 7);
  EXPECT_DOUBLE_EQ(t.c.GetItemParams(1).y, 8);
  EXPECT_DOUBLE_EQ(t.c.GetItemParams(3).x2, 9);  // a line's second point too
  EXPECT_DOUBLE_EQ(t.c.GetItemParams(3).y2, 26);

  TrcChartItem it = t.c.GetItemParams(0);
  it.ItemKind = tkMarkAt;
  t.c.SetItemParams(0, it);
  EXPECT_EQ(t.c.GetItemCount(tkMarkAt), 3);
  EXPECT_EQ(t.c.GetItemCount(tkMoveTo), 0);
  it.ItemKind = tkEverything;  // refused
  t.c.SetItemParams(0, it);
  EXPECT_EQ(t.c.GetItemParams(0).ItemKind, tkMarkAt);
  // Outside the items: an empty record, no change.
  EXPECT_EQ(t.c.GetItemParams(4).ItemKind, tkNone);
  t.c.SetItemParams(-1, it);
  t.c.SetItemParams(4, it);
  EXPECT_EQ(t.c.NumItems(), 4);
}

TEST(ChartItemEdit, Removal) {
  Items t;
  t.c.RemoveItem(4);  // out of range: nothing
  t.c.RemoveItem(-1);
  EXPECT_EQ(t.c.NumItems(), 4);
  t.c.RemoveItem(1);
  EXPECT_EQ(t.c.NumItems(), 3);
  EXPECT_DOUBLE_EQ(t.c.GetItemParams(1).x, 5);
  EXPECT_EQ(t.c.GetItemCount(tkMarkAt), 1);
  EXPECT_EQ(t.c.GetTypeOfFirstItem(), tkMoveTo);
  EXPECT_EQ(t.c.GetTypeOfLastItem(), tkLine);
  t.c.RemoveLastItem();
  EXPECT_EQ(t.c.GetTypeOfLastItem(), tkMarkAt);
  t.c.RemoveFirstItem();
  t.c.RemoveFirstItem();
  EXPECT_EQ(t.c.NumItems(), 0);
  EXPECT_EQ(t.c.NumAllocData(), 0);
  EXPECT_EQ(t.c.GetTypeOfFirstItem(), tkNone);
  t.c.RemoveLastItem();  // empty: nothing

  Items u;
  TrcChartItem it = u.c.GetItemParams(2);
  it.Layer = 2;
  u.c.SetItemParams(2, it);
  EXPECT_EQ(u.c.RemoveItemsByLayer(2), 1);
  EXPECT_EQ(u.c.NumItems(), 3);
  u.c.MarkAllItems(tkMarkAt, 4);
  EXPECT_EQ(u.c.RemoveItemsByClass(4), 1);
  EXPECT_EQ(u.c.GetTypeOfFirstItem(), tkMoveTo);
  EXPECT_EQ(u.c.GetTypeOfLastItem(), tkLine);
  EXPECT_EQ(u.c.GetItemCount(tkMarkAt), 0);
}

}  // namespace

namespace {

TEST(ChartAnnoSearch, ScreenCoordinatesFollowTheCoordinateMode) {
  Items t;
  TrcChartItem it;
  it.x = 5, it.y = 5, it.x2 = 10, it.y2 = 20;
  Integer wx = 0, wy = 0, wx2 = 0, wy2 = 0;
  t.c.R2M(1, 5, 5, wx, wy);
  t.c.R2M(1, 10, 20, wx2, wy2);
  struct Case {
    TCoordMode Mode;
    Integer x1, y1, x2, y2;
  };
  const Case cases[] = {
      {cmAllWorld, wx, wy, wx2, wy2},         {cmAllScreen, 55, 25, 60, 40},
      {cmWorldMainScreenSec, wx, wy, 60, 40}, {cmScreenMainWorldSec, 55, 25, wx2, wy2},
      {cmXScreenYWorld, 55, wy, 60, wy2},     {cmXWorldYScreen, wx, 25, wx2, 40},
  };
  for (const Case& k : cases) {
    it.CoordMode = k.Mode;
    Integer x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    t.c.ConvertToScreenCoords(it, x1, y1, x2, y2);
    EXPECT_EQ((std::array<Integer, 4>{x1, y1, x2, y2}),
              (std::array<Integer, 4>{k.x1, k.y1, k.x2, k.y2}))
        << int(k.Mode);
  }
}

TEST(ChartAnnoSearch, EachKindIsMeasuredByItsShape) {
  Items t;
  t.c.SetAnnoMode(true);
  t.c.MarkAt(1.0, 1.0, 10);           // 0
  t.c.Line(2.0, 8.0, 8.0, 8.0);       // 1: a horizontal segment
  t.c.Rectangle(6.0, 2.0, 9.0, 4.0);  // 2
  t.c.CursorVert(0.5);                // 3
  t.c.MoveTo(5.0, 5.0);               // 4: never found
  Double d = 0;
  EXPECT_EQ(t.c.FindNearestAnnoElem(5, 8.2, tkEverything, 255, false, d), 1);  // over the line
  EXPECT_EQ(t.c.FindNearestAnnoElem(7, 3, tkEverything, 255, false, d), 2);    // inside: 0
  EXPECT_EQ(d, 0);
  EXPECT_EQ(t.c.FindNearestAnnoElem(0.6, 5, tkEverything, 255, false, d), 3);  // the cursor
  EXPECT_EQ(t.c.FindNearestAnnoElem(1.1, 1.1, tkMarkAt, 255, false, d), 0);
  EXPECT_EQ(t.c.FindNearestAnnoElem(5, 5, tkMoveTo, 255, false, d), -1);
  EXPECT_DOUBLE_EQ(d, kNoneFound);
  t.c.SetLayerVisib(1, false);
  EXPECT_EQ(t.c.FindNearestAnnoElem(7, 3, tkEverything, 255, true, d), -1);
}

}  // namespace
