#pragma once
// Points and polygons in the plane, and the great-circle distance on a sphere.
//
// A polygon is a TPDblArray (0-based); its edges join consecutive points and the closing edge
// joins the last point to the first. Y runs upward, so counter-clockwise means a positive
// area. Nothing here raises or reports progress. An empty polygon is outside everything, has
// no area, length or crossings, a bounding rectangle of zeros and the distance uc_MaxDouble.

#include "DOV_sdlbase.h"

// Radius times the arc between two points given in degrees (arccos form; the cosine is
// clamped into -1..1, so identical points give 0).
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);

// True only strictly inside (crossing-product test); a point on the outline is outside.
bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon);
// Signed area: positive for a counter-clockwise outline.
double PolygonArea(const TPDblArray& Polygon);
// The same, and Count = the number of pairs of non-adjacent edges that intersect (each pair of
// distinct edges that SegmentsIntersect accepts adds 1 to -n; adjacent edges always touch, so a
// simple polygon gives 0). O(n^2).
double PolygonArea(const TPDblArray& Polygon, Integer& Count);
// The n - 1 segments, plus the closing one when Closed.
double PolygonLength(const TPDblArray& Polygon, bool Closed);
void OuterRectOfPolygon(const TPDblArray& Polygon, double& MinX, double& MinY, double& MaxX,
                        double& MaxY);
// The smallest distance from P to the segments (and the closing one when Closed);
// uc_MaxDouble when there is no segment.
double DistanceToPolygon(TPointDouble P, const TPDblArray& Polygon, bool Closed);

// The corners of the convex hull, counter-clockwise, starting at the corner whose direction
// from the points' centroid comes first when turning counter-clockwise from straight down
// (angle to the x axis + pi/2, wrapped into 0..2 pi). Points on an edge, repeated points and
// points with a coordinate that is not a finite number are left out; collinear points give
// their two ends, coinciding points one. Three points or fewer are returned as they are.
// Orientation tests are exact, so the hull is right for every finite input. O(n log n).
TPDblArray Convex2DHull(const TPDblArray& Points);
// True when (x, y) lies strictly left of every edge of Hull (so strictly inside a
// counter-clockwise hull; never for a clockwise one). Exact orientation tests.
bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull);

// The sign of (B - A) x (C - A), exactly: 1 when C lies left of the line from A to B (counter-
// clockwise turn), -1 right, 0 on it. Finite coordinates.
Integer ExactOrientation(TPointDouble A, TPointDouble B, TPointDouble C);
