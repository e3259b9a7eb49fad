#pragma once
// The comparison plot library behind plain functions, so that the benchmark's own file sees
// neither Qt nor the comparison library: one plot of the noise scene drawn into an image.
namespace qcp_scene {
struct Plot;
// Line plus a 3 x 3 square at every sample, no antialiasing, dotted horizontal grid.
// AdaptiveSampling lets the library thin the points it draws (its default).
Plot* Create(const double* X, const double* Y, int Count, int Width, int Height, double LowY,
             double HighY, bool AdaptiveSampling);
void Paint(Plot* P);                           // the whole plot into its image
void Pan(Plot* P, double LowX, double HighX);  // new X range, then the whole plot
void Destroy(Plot* P);
bool SavePng(Plot* P, const char* FileName);
}  // namespace qcp_scene
