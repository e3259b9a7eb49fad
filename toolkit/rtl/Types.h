#pragma once
// Integer point, rectangle and size records (32-bit fields), as the drawing code and the
// geometry routines exchange them.

#include "System.h"

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  bool operator==(const TRect&) const = default;
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  bool operator==(const TSize&) const = default;
};

inline TPoint Point(Integer X, Integer Y) { return TPoint{X, Y}; }
inline TRect Rect(Integer Left, Integer Top, Integer Right, Integer Bottom) {
  return TRect{Left, Top, Right, Bottom};
}
// A rectangle from its corner and extent.
inline TRect Bounds(Integer Left, Integer Top, Integer Width, Integer Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}
inline TSize Size(Integer cx, Integer cy) { return TSize{cx, cy}; }
