#pragma once
// The noise plot's picture for the chart benchmarks: a number of samples (50,000 as the plot
// window holds them, or a million) drawn as a line with an open 3 x 3 square at every sample,
// on an 800 x 500 chart with the plot window's margins and a dotted horizontal grid. The
// samples are the same for every benchmark that compares; a longer run starts with the
// shorter one.
#include <cstdint>
#include <vector>

#include "DOV_zodoza.h"

namespace bench_scene {

constexpr int kSamples = 50000;
constexpr int kMillionSamples = 1000000;
constexpr int kWidth = 800, kHeight = 500;
constexpr int kOpenSquareMark = 10;
constexpr double kLowY = 0, kHighY = 100;

// Deterministic noise around 50 (a linear congruential sequence, no library state).
inline void Samples(int Count, std::vector<double>& X, std::vector<double>& Y) {
  X.resize(static_cast<size_t>(Count));
  Y.resize(static_cast<size_t>(Count));
  std::uint32_t s = 12345;
  for (int i = 0; i < Count; ++i) {
    s = s * 1664525u + 1013904223u;
    X[static_cast<size_t>(i)] = i;
    Y[static_cast<size_t>(i)] = 30 + 40.0 * (s >> 8) / double(1u << 24);
  }
}

inline void BuildChart(TCustomZOdoza& Chart, int Count = kSamples) {
  Chart.SetBounds(0, 0, kWidth, kHeight);
  Chart.SetLRim(55);
  Chart.SetRRim(5);
  Chart.SetTRim(25);
  Chart.SetBRim(25);
  Chart.SetF3DRim(4);
  Chart.SetGridStyle(gsHorizDotLines);
  Chart.SetGridCol(0x008080);
  Chart.SetAllocSize(2 * Count);
  Chart.ForceRange(1, 0, kLowY, Count - 1, kHighY);
  std::vector<double> x, y;
  Samples(Count, x, y);
  Chart.SetDataCol(0x000080);
  Chart.MoveTo(x[0], y[0]);
  for (int i = 0; i < Count; ++i) {
    if (i > 0) Chart.DrawTo(x[static_cast<size_t>(i)], y[static_cast<size_t>(i)]);
    Chart.MarkAt(x[static_cast<size_t>(i)], y[static_cast<size_t>(i)],
                 static_cast<Byte>(kOpenSquareMark));
  }
  Chart.CrossHairSetup(1, 0x808000, chBoth, psSolid, 1);
  Chart.CrossHairSetPos(1, Count / 2.0, 50);
}

}  // namespace bench_scene
