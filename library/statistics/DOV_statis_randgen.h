#pragma once
// TRandGen: random numbers from a distribution given as a table of relative weights over
// [LowBorder, HighBorder), drawn by rejection on the process-wide generator (RtlRandom.h),
// which is the only state a draw changes.

#include <vector>

#include "DOV_statis.h"

class TRandGen : public TComponent {
public:
  // Resolution 500, every weight 1, borders 0. ESDLStatisError "not enough memory on heap"
  // (component message) when the table cannot be had.
  explicit TRandGen(TComponent* AOwner);
  String ClassName() const override { return "TRandGen"; }

  double LowBorder() const { return FLowBorder; }
  double HighBorder() const { return FHighBorder; }
  void SetLowBorder(double Value) { FLowBorder = Value; }
  void SetHighBorder(double Value) { FHighBorder = Value; }
  Integer Resolution() const { return FResolution; }
  // Clamped to 10 .. 4000; the table becomes uniform (every weight 1).
  void SetResolution(Integer n);

  // Weight of cell Idx (1 .. Resolution); 0 outside. Stored clamped to 0 .. 1; ignored outside.
  double GetProbability(Integer Idx) const;
  void SetProbability(Integer Idx, double Value);
  // Lower edge of cell ix; LowBorder for ix <= 0, HighBorder for ix > Resolution.
  double GetLambda(Integer ix) const;
  // 0 below LowBorder, Resolution + 1 above HighBorder, else 1 + trunc of the cell position
  // (HighBorder itself gives Resolution + 1).
  Integer IndexOfLambda(double Lambda) const;

  // One number. The weight is interpolated linearly inside the cell (falling to 0 across the
  // last one); at most 100,001 tries, and the last try's position is returned even when it was
  // rejected (a table of zeros gives the 100,001st try).
  double GetRandNum();
  double Random() { return GetRandNum(); }

  // Rescales the weights to 0 .. 1 ((p - min) / (max - min)); unchanged when all are equal.
  void Normalize();
  // Divides by the largest weight; false (unchanged) when that is 0.
  bool Standardize();
  // Fillers write the raw density at each cell's lower edge.
  void UniformDistri();
  void NormalDistri(double m, double s);  // peak 1
  void tDistri(Integer df);
  void Chi2Distri(Integer df);             // 0 below 0
  void FDistri(Integer df1, Integer df2);  // 0 at and below 0
  void WeibullDistri(double beta, double eta);

private:
  template <class F>
  void Fill(F density);

  double FLowBorder = 0, FHighBorder = 0;
  Integer FResolution = 0;
  std::vector<double> FDistVec;
};
