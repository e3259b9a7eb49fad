// Reading, changing, classifying, searching and removing data items after they were appended.
// None of these repaints; indexes are 0-based positions in the container.

#include <cmath>
#include <cstdlib>

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
    case tkLine: case tkRect: case tkRectFrame: case tk3DBar: case tkEllipse: case tkArrow:
    case tkDoubleArrow: case tkLineOffs: case tkArc:
      return true;
    default:
      return false;
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

Integer TCustomZOdoza::FindNearest(TrcItem ItemID, Byte ClassNumber, bool VisLayersOnly,
                                   Double& Dist,
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

Integer TCustomZOdoza::FindNearestItemScreen(Double mx, Double my, TrcItem ItemID,
                                             Byte ClassNumber, bool VisLayersOnly,
                                             Double& Dist) const {
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
