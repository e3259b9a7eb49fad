// Reading, changing, classifying, searching and removing data items after they were appended.
// None of these repaints; indexes are 0-based positions in the container.

#include <cmath>
#include <cstdlib>

#include "DOV_math1.h"
#include "DOV_zodoza.h"

namespace {

constexpr Double kNoDistance = 1.7e308;
constexpr Byte kAnyClass = 255;

bool KindMatches(TrcItem Kind, TrcItem ItemID) {
  if (ItemID == tkEverything) return true;
  if (ItemID == tkNotMoveTo) return Kind != tkMoveTo;
  return ItemID != tkNone && Kind == ItemID;
}

bool HasSecondPoint(TrcItem k) {
  switch (k) {
    case tkLine:
    case tkRect:
    case tkRectFrame:
    case tk3DBar:
    case tkEllipse:
    case tkArrow:
    case tkDoubleArrow:
    case tkLineOffs:
    case tkArc: return true;
    default: return false;
  }
}

}  // namespace

// An index outside the items reads an empty record and changes nothing: the container below
// is larger than the item count, so a wrong index would otherwise touch stale or foreign memory.
TrcChartItem TCustomZOdoza::GetItemParams(Integer Item) const {
  if (Item < 0 || Item >= FData->Count) return TrcChartItem();
  return FData->Container[static_cast<size_t>(Item)];
}

void TCustomZOdoza::SetItemParams(Integer Item, const TrcChartItem& ItParams) {
  if (Item < 0 || Item >= FData->Count) return;
  if (ItParams.ItemKind == tkNone || ItParams.ItemKind == tkEverything) return;
  TrcChartItem& it = FData->Container[static_cast<size_t>(Item)];
  --FData->ItemCount[it.ItemKind];
  ++FData->ItemCount[ItParams.ItemKind];
  it = ItParams;
  AdjustCanInfoOfSharedCharts();
}

void TCustomZOdoza::ScaleAllItems(Double kx, Double dx, Double ky, Double dy) {
  for (Integer i = 0; i < FData->Count; ++i) {
    TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    it.x = dx + kx * it.x;
    it.y = dy + ky * it.y;
    if (HasSecondPoint(it.ItemKind)) {
      it.x2 = dx + kx * it.x2;
      it.y2 = dy + ky * it.y2;
    }
  }
}

void TCustomZOdoza::NewColorOfClassItems(TColor Newcol, Byte ClassNumber) {
  for (Integer i = 0; i < FData->Count; ++i) {
    TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (ClassNumber == kAnyClass || it.ItemClass == ClassNumber) it.Color = Newcol;
  }
}

void TCustomZOdoza::MarkAllItems(TrcItem ItemID, Byte ClassNumber) {
  if (ClassNumber == kAnyClass || ItemID == tkNone) return;
  for (Integer i = 0; i < FData->Count; ++i) {
    TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (KindMatches(it.ItemKind, ItemID)) it.ItemClass = ClassNumber;
  }
}

Integer TCustomZOdoza::MarkItemsInWindow(Double xLo, Double yLo, Double xHi, Double yHi,
                                         TrcItem ItemID, Byte ClassNumber) {
  if (ClassNumber == kAnyClass || ItemID == tkNone) return 0;
  if (xLo > xHi) std::swap(xLo, xHi);
  if (yLo > yHi) std::swap(yLo, yHi);
  Integer marked = 0;
  for (Integer i = 0; i < FData->Count; ++i) {
    TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (KindMatches(it.ItemKind, ItemID) && it.x >= xLo && it.x <= xHi && it.y >= yLo &&
        it.y <= yHi) {
      it.ItemClass = ClassNumber;
      ++marked;
    }
  }
  return marked;
}

Integer TCustomZOdoza::FindNearest(
    TrcItem ItemID, Byte ClassNumber, bool VisLayersOnly, Double& Dist,
    const std::function<Double(const TrcChartItem&)>& Measure) const {
  Double best = kNoDistance;
  Integer found = -1;
  for (Integer i = 0; i < FData->Count; ++i) {
    const TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (!KindMatches(it.ItemKind, ItemID)) continue;
    if (ClassNumber != kAnyClass && it.ItemClass != ClassNumber) continue;
    if (VisLayersOnly && !GetLayerVisib(it.Layer)) continue;
    const Double d = Measure(it);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  Dist = std::sqrt(best);
  return found;
}

Integer TCustomZOdoza::FindNearestItemReal(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                                           bool VisLayersOnly, Double& Dist) const {
  return FindNearest(ItemID, ClassNumber, VisLayersOnly, Dist, [&](const TrcChartItem& it) {
    return (it.x - mx) * (it.x - mx) + (it.y - my) * (it.y - my);
  });
}

Integer TCustomZOdoza::FindNearestItemScreen(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                                             bool VisLayersOnly, Double& Dist) const {
  Integer px = 0, py = 0;
  R2M(FActiveLayer, mx, my, px, py);
  return FindNearest(ItemID, ClassNumber, VisLayersOnly, Dist, [&](const TrcChartItem& it) {
    Integer ix = 0, iy = 0;
    R2M(FActiveLayer, it.x, it.y, ix, iy);
    return Double(ix - px) * (ix - px) + Double(iy - py) * (iy - py);
  });
}

Integer TCustomZOdoza::FindNearestItemAlongAxis(Double pos, TAxis Axis, TrcItem ItemID,
                                                Byte ClassNumber, bool VisLayersOnly,
                                                Double& Dist) const {
  if (Axis == atZAxis) {
    Dist = std::sqrt(kNoDistance);
    return -1;
  }
  const bool alongX = Axis == atXAxis;
  Integer px = 0, py = 0;
  R2M(FActiveLayer, pos, pos, px, py);
  const Integer ref = alongX ? px : py;
  return FindNearest(ItemID, ClassNumber, VisLayersOnly, Dist, [&](const TrcChartItem& it) {
    Integer ix = 0, iy = 0;
    R2M(FActiveLayer, it.x, it.y, ix, iy);
    const Double d = std::abs((alongX ? ix : iy) - ref);
    return d * d;
  });
}

// ---- removal -----------------------------------------------------------------------------------
void TCustomZOdoza::RemoveItem(Integer Index) {
  if (Index < 0 || Index >= FData->Count) return;
  if (FData->Count == 1) {
    EmptyContainer(FData->Container, FData->Count, FData->Alloc);
    FData->ItemCount.fill(0);
  } else {
    auto& c = FData->Container;
    --FData->ItemCount[c[static_cast<size_t>(Index)].ItemKind];
    std::move(c.begin() + Index + 1, c.begin() + FData->Count, c.begin() + Index);
    --FData->Count;
  }
  AdjustCanInfoOfSharedCharts();
}

void TCustomZOdoza::RemoveLastItem() {
  if (FData->Count == 0) return;
  if (FData->Count == 1) {
    EmptyContainer(FData->Container, FData->Count, FData->Alloc);
    FData->ItemCount.fill(0);
  } else {
    --FData->ItemCount[FData->Container[static_cast<size_t>(FData->Count - 1)].ItemKind];
    --FData->Count;
  }
  AdjustCanInfoOfSharedCharts();
}

void TCustomZOdoza::RemoveAnnoItem(Integer Index) {
  if (Index < 0 || Index >= FNumAnnoItems) return;
  if (FNumAnnoItems == 1) {
    EmptyContainer(FAnnoContainer, FNumAnnoItems, FNumAllocAnno);
    return;
  }
  std::move(FAnnoContainer.begin() + Index + 1, FAnnoContainer.begin() + FNumAnnoItems,
            FAnnoContainer.begin() + Index);
  --FNumAnnoItems;
}

Integer TCustomZOdoza::RemoveItemsWhere(const std::function<bool(const TrcChartItem&)>& Drop) {
  auto& c = FData->Container;
  Integer kept = 0;
  for (Integer i = 0; i < FData->Count; ++i) {
    const TrcChartItem& it = c[static_cast<size_t>(i)];
    if (Drop(it)) {
      --FData->ItemCount[it.ItemKind];
      continue;
    }
    if (kept != i) c[static_cast<size_t>(kept)] = it;
    ++kept;
  }
  const Integer removed = FData->Count - kept;
  FData->Count = kept;
  AdjustCanInfoOfSharedCharts();
  return removed;
}

Integer TCustomZOdoza::RemoveItemsByClass(Byte ClassNumber) {
  return RemoveItemsWhere([&](const TrcChartItem& it) { return it.ItemClass == ClassNumber; });
}

Integer TCustomZOdoza::RemoveItemsByLayer(Integer Layer) {
  return RemoveItemsWhere([&](const TrcChartItem& it) { return it.Layer == Layer; });
}

TrcItem TCustomZOdoza::GetTypeOfFirstItem() const {
  return FData->Count == 0 ? tkNone : FData->Container[0].ItemKind;
}

TrcItem TCustomZOdoza::GetTypeOfLastItem() const {
  return FData->Count == 0 ? tkNone
                           : FData->Container[static_cast<size_t>(FData->Count - 1)].ItemKind;
}

// ---- annotations in control pixels -------------------------------------------------------------
namespace {
Integer RoundPix(Double v) { return static_cast<Integer>(std::lround(v)); }
Double Sq(Double v) { return v * v; }
Double RectMeasure(TPoint P, Integer x1, Integer y1, Integer x2, Integer y2) {
  return Sq(DistFromRect(P, Rect(x1, y1, x2, y2)));
}
Double SegmentMeasure(TPoint P, Integer x1, Integer y1, Integer x2, Integer y2) {
  return Sq(DistanceToSegment({Double(P.X), Double(P.Y)}, {Double(x1), Double(y1)},
                              {Double(x2), Double(y2)}));
}
}  // namespace

void TCustomZOdoza::ConvertToScreenCoords(const TrcChartItem& It, Integer& x1, Integer& y1,
                                          Integer& x2, Integer& y2) const {
  const auto world = [&](Double x, Double y, Integer& px, Integer& py) {
    R2M(It.Layer, x, y, px, py);
  };
  const auto screen = [&](Double x, Double y, Integer& px, Integer& py) {
    px = RoundPix(x + RcLRim);
    py = RoundPix(y + RcTRim);
  };
  switch (It.CoordMode) {
    case cmAllScreen:
      screen(It.x, It.y, x1, y1);
      screen(It.x2, It.y2, x2, y2);
      break;
    case cmWorldMainScreenSec:
      world(It.x, It.y, x1, y1);
      screen(It.x2, It.y2, x2, y2);
      break;
    case cmScreenMainWorldSec:
      screen(It.x, It.y, x1, y1);
      world(It.x2, It.y2, x2, y2);
      break;
    default:
      world(It.x, It.y, x1, y1);
      world(It.x2, It.y2, x2, y2);
      if (It.CoordMode == cmXScreenYWorld) {
        x1 = RoundPix(It.x + RcLRim);
        x2 = RoundPix(It.x2 + RcLRim);
      } else if (It.CoordMode == cmXWorldYScreen) {
        y1 = RoundPix(It.y + RcTRim);
        y2 = RoundPix(It.y2 + RcTRim);
      }
      break;
  }
}

Double TCustomZOdoza::AnnoMeasure(const TrcChartItem& It, Integer Index, TPoint P, Double mx,
                                  Double my) {
  Integer x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ConvertToScreenCoords(It, x1, y1, x2, y2);
  switch (It.ItemKind) {
    case tkMarkAt:
    case tkLineto: return Sq(P.X - x1) + Sq(P.Y - y1);
    case tkLine:
    case tkArrow:
    case tkDoubleArrow: return SegmentMeasure(P, x1, y1, x2, y2);
    case tkRect:
    case tkRectFrame: return RectMeasure(P, x1, y1, x2, y2);
    case tk3DBar: {
      const Double a = It.Param1 * M_PI / 180;
      const Integer dx = RoundPix(std::cos(a) * It.Param2), dy = -RoundPix(std::sin(a) * It.Param2);
      return std::min(RectMeasure(P, x1, y1, x2, y2),
                      RectMeasure(P, x1 + dx, y1 + dy, x2 + dx, y2 + dy));
    }
    case tkText:
    case tkTextOfs: {
      if (It.ItemKind == tkTextOfs) {
        x1 += RoundPix(It.x2);
        y1 += RoundPix(It.y2);
      }
      String text = It.LWid >= 1 ? GetAnnoLongText(It.LWid) : It.Text();
      if (OnBeforeRenderText) OnBeforeRenderText(this, text, Index, true);
      Integer w = 0, total = 0, line = 0;
      CalcTextExtents(text, FGrafBmp->Canvas(), w, total, line);
      Integer left = x1;
      if (It.Param3 == taRightJustify)
        left -= w;
      else if (It.Param3 == taCenter)
        left -= w / 2;
      const Integer top = y1 - line / 2;
      return RectMeasure(P, left, top, left + w, top + total);
    }
    case tkEllipse: {
      const Double a = It.x2, b = It.y2;
      const Double f = std::sqrt(std::abs(a * a - b * b));
      const bool wide = std::abs(a) >= std::abs(b);
      const Double fx = wide ? f : 0, fy = wide ? 0 : f;
      const Double sum = std::hypot(mx - (It.x - fx), my - (It.y - fy)) +
                         std::hypot(mx - (It.x + fx), my - (It.y + fy)) -
                         2 * std::max(std::abs(a), std::abs(b));
      return std::max(sum, 0.0);
    }
    case tkArc: {
      const Double angle = std::atan2(my - It.y, mx - It.x);
      if (!(angle > It.Param1 * 1e-8 && angle < It.Param2 * 1e-8)) return kNoDistance;
      Integer ox = 0, oy = 0, ex = 0, ey = 0;
      R2M(It.Layer, 0, 0, ox, oy);
      R2M(It.Layer, It.x2, It.y2, ex, ey);
      TPointDouble closest{};
      return Sq(DistFromEllipse({Double(P.X), Double(P.Y)}, x1, y1, std::abs(ex - ox),
                                std::abs(ey - oy), closest));
    }
    case tkRectRelPix:
      return RectMeasure(P, x1 - It.Param1, y1 - It.Param2, x1 + It.Param1, y1 + It.Param2);
    case tkMarkEBar: {
      Integer ax = 0, ay = 0, bx = 0, by = 0;
      if (It.Param1 != 0) {
        R2M(It.Layer, It.x - std::abs(It.x2), It.y, ax, ay);
        R2M(It.Layer, It.x + std::abs(It.y2), It.y, bx, by);
      } else {
        R2M(It.Layer, It.x, It.y - std::abs(It.x2), ax, ay);
        R2M(It.Layer, It.x, It.y + std::abs(It.y2), bx, by);
      }
      return SegmentMeasure(P, ax, ay, bx, by);
    }
    case tkLineOffs:
      return SegmentMeasure(P, x1 + It.Param1, y1 + It.Param2, x2 + It.Param1, y2 + It.Param2);
    case tkLineRelPixOrig:
      return SegmentMeasure(P, x1, y1, x1 + RoundPix(It.x2), y1 + RoundPix(It.y2));
    case tkCursorVert: return Sq(x1 - P.X);
    case tkCursorHoriz: return Sq(y1 - P.Y);
    default: return kNoDistance;  // moves and relative lines are never found
  }
}

Integer TCustomZOdoza::FindNearestAnnoElem(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                                           bool VisLayersOnly, Double& Dist) {
  Integer px = 0, py = 0;
  R2M(FActiveLayer, mx, my, px, py);
  const TPoint P = Point(px, py);
  Double best = kNoDistance;
  Integer found = -1;
  for (Integer i = 0; i < FNumAnnoItems; ++i) {
    const TrcChartItem& it = FAnnoContainer[static_cast<size_t>(i)];
    const bool kind = ItemID == tkNotMoveTo ? it.ItemKind != tkMoveTo && it.ItemKind != tkMoveRelPix
                                            : KindMatches(it.ItemKind, ItemID);
    if (!kind || (ClassNumber != kAnyClass && it.ItemClass != ClassNumber)) continue;
    if (VisLayersOnly && !GetLayerVisib(it.Layer)) continue;
    const Double d = AnnoMeasure(it, i, P, mx, my);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  Dist = std::sqrt(best);
  return found;
}
