#pragma once
// Piecewise cubic (or linear) interpolation through points with strictly increasing x, and
// the banded matrix with an LU solver (no pivoting) whose tridiagonal system gives the cubic
// coefficients. The sun-flux window fits one spline per calculation through the day's
// readings (frequency in MHz, flux in sfu) and evaluates it at the working frequency.
//
// A violated requirement is a programming error of the caller: it raises ESplineCheck whose
// message names the check that failed ("spline: check failed: x.size()>2").

#include <vector>

#include "System.h"

class ESplineCheck : public Exception {
  using Exception::Exception;
};

// A square matrix of order dim() with num_upper() diagonals above and num_lower() below the
// main one. Upper band k holds element (i, i + k) at position i; lower band k (k >= 1) holds
// (i, i - k). Lower band 0 keeps the saved diagonal of decompose_lu.
class band_matrix {
public:
  band_matrix() = default;
  band_matrix(int dim, int n_u, int n_l);

  void allocate_bands(int dim, int n_u, int n_l);
  int dim() const;
  int num_upper() const { return static_cast<int>(m_upper.size()) - 1; }
  int num_lower() const { return static_cast<int>(m_lower.size()) - 1; }

  double& element(int i, int j);
  double element(int i, int j) const;
  double& saved_diagonal(int i);
  double saved_diagonal(int i) const;

  // In place: the rows are normalised by their diagonal (kept by saved_diagonal), then
  // eliminated below the diagonal; the multipliers take the places they clear.
  void decompose_lu();
  std::vector<double> solve_lower(const std::vector<double>& b) const;
  std::vector<double> solve_upper(const std::vector<double>& b) const;
  std::vector<double> solve_lu(const std::vector<double>& b, bool is_lu_decomposed = false);

private:
  std::vector<std::vector<double>> m_upper;
  std::vector<std::vector<double>> m_lower;
};

class spline {
public:
  enum bd_type { first_deriv = 1, second_deriv = 2 };

  // Natural ends: second derivative 0 at both ends, no forced linear extrapolation.
  spline() = default;

  // The end conditions: a kind and its value at each end (the program keeps natural ends;
  // other ends serve checks against known polynomials). Takes effect at the next fit.
  void set_boundary(bd_type left, double left_value, bd_type right, double right_value,
                    bool force_linear_extrapolation = false);

  // x strictly increasing, as many y as x, more than two points. Cubic when cubic is true,
  // straight segments otherwise.
  void fit(const std::vector<double>& x, const std::vector<double>& y, bool cubic = true);
  // Inside the points the fitted piece; outside them the end's parabola, which with natural
  // ends is the straight line along the end slope.
  double value_at(double x) const;

private:
  std::vector<double> m_x, m_y;
  std::vector<double> m_a, m_b, m_c;  // cubic, quadratic and linear coefficients
  double m_b0 = 0, m_c0 = 0;          // left of the first point
  bd_type m_left = second_deriv, m_right = second_deriv;
  double m_left_value = 0, m_right_value = 0;
  bool m_force_linear_extrapolation = false;
};
