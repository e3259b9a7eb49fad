#include "spline.h"

#include <algorithm>

namespace {

void Require(bool Condition, const char* Check) {
  if (!Condition) throw ESplineCheck(String("spline: check failed: ") + Check);
}

}  // namespace

// ---- band_matrix -------------------------------------------------------------------------

band_matrix::band_matrix(int dim, int n_u, int n_l) { allocate_bands(dim, n_u, n_l); }

void band_matrix::allocate_bands(int dim, int n_u, int n_l) {
  Require(dim > 0, "dim>0");
  Require(n_u >= 0, "n_u>=0");
  Require(n_l >= 0, "n_l>=0");
  m_upper.assign(static_cast<size_t>(n_u) + 1, std::vector<double>(static_cast<size_t>(dim)));
  m_lower.assign(static_cast<size_t>(n_l) + 1, std::vector<double>(static_cast<size_t>(dim)));
}

int band_matrix::dim() const { return m_upper.empty() ? 0 : static_cast<int>(m_upper[0].size()); }

double& band_matrix::element(int i, int j) {
  const int k = j - i;
  Require((i >= 0) && (i < dim()) && (j >= 0) && (j < dim()),
          "(i>=0) && (i<dim()) && (j>=0) && (j<dim())");
  Require((-num_lower() <= k) && (k <= num_upper()), "(-num_lower()<=k) && (k<=num_upper())");
  return k >= 0 ? m_upper[static_cast<size_t>(k)][static_cast<size_t>(i)]
                : m_lower[static_cast<size_t>(-k)][static_cast<size_t>(i)];
}

double band_matrix::element(int i, int j) const {
  return const_cast<band_matrix*>(this)->element(i, j);
}

double& band_matrix::saved_diagonal(int i) {
  Require((i >= 0) && (i < dim()), "(i>=0) && (i<dim())");
  return m_lower[0][static_cast<size_t>(i)];
}

double band_matrix::saved_diagonal(int i) const {
  return const_cast<band_matrix*>(this)->saved_diagonal(i);
}

void band_matrix::decompose_lu() {
  const int n = dim();
  for (int i = 0; i < n; ++i) {
    Require(element(i, i) != 0.0, "this->operator()(i,i)!=0.0");
    saved_diagonal(i) = 1.0 / element(i, i);
    const int j_min = std::max(0, i - num_lower());
    const int j_max = std::min(n - 1, i + num_upper());
    for (int j = j_min; j <= j_max; ++j) element(i, j) *= saved_diagonal(i);
    element(i, i) = 1.0;
  }
  for (int k = 0; k < n; ++k) {
    const int i_max = std::min(n - 1, k + num_lower());
    for (int i = k + 1; i <= i_max; ++i) {
      Require(element(k, k) != 0.0, "this->operator()(k,k)!=0.0");
      const double m = -element(i, k) / element(k, k);
      element(i, k) = -m;
      const int j_max = std::min(n - 1, k + num_upper());
      for (int j = k + 1; j <= j_max; ++j) element(i, j) += m * element(k, j);
    }
  }
}

std::vector<double> band_matrix::solve_lower(const std::vector<double>& b) const {
  Require(dim() == static_cast<int>(b.size()), "this->dim()==(int)b.size()");
  const int n = dim();
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double sum = 0;
    for (int j = std::max(0, i - num_lower()); j < i; ++j)
      sum += element(i, j) * x[static_cast<size_t>(j)];
    x[static_cast<size_t>(i)] = b[static_cast<size_t>(i)] * saved_diagonal(i) - sum;
  }
  return x;
}

std::vector<double> band_matrix::solve_upper(const std::vector<double>& b) const {
  Require(dim() == static_cast<int>(b.size()), "this->dim()==(int)b.size()");
  const int n = dim();
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = n - 1; i >= 0; --i) {
    double sum = 0;
    for (int j = i + 1; j <= std::min(n - 1, i + num_upper()); ++j)
      sum += element(i, j) * x[static_cast<size_t>(j)];
    x[static_cast<size_t>(i)] = (b[static_cast<size_t>(i)] - sum) / element(i, i);
  }
  return x;
}

std::vector<double> band_matrix::solve_lu(const std::vector<double>& b, bool is_lu_decomposed) {
  Require(dim() == static_cast<int>(b.size()), "this->dim()==(int)b.size()");
  if (!is_lu_decomposed) decompose_lu();
  return solve_upper(solve_lower(b));
}

// ---- spline ------------------------------------------------------------------------------

void spline::set_boundary(bd_type left, double left_value, bd_type right, double right_value,
                          bool force_linear_extrapolation) {
  m_left = left;
  m_left_value = left_value;
  m_right = right;
  m_right_value = right_value;
  m_force_linear_extrapolation = force_linear_extrapolation;
}

void spline::fit(const std::vector<double>& x, const std::vector<double>& y, bool cubic) {
  Require(x.size() == y.size(), "x.size()==y.size()");
  Require(x.size() > 2, "x.size()>2");
  const int n = static_cast<int>(x.size());
  for (size_t i = 0; i + 1 < x.size(); ++i) Require(x[i] < x[i + 1], "m_x[i]<m_x[i+1]");
  m_x = x;
  m_y = y;
  const auto X = [&](int i) { return m_x[static_cast<size_t>(i)]; };
  const auto Y = [&](int i) { return m_y[static_cast<size_t>(i)]; };
  const auto W = [&](int i) { return X(i + 1) - X(i); };

  if (cubic) {
    band_matrix A(n, 1, 1);
    std::vector<double> r(static_cast<size_t>(n));
    for (int i = 1; i < n - 1; ++i) {
      A.element(i, i - 1) = W(i - 1) / 3.0;
      A.element(i, i) = 2.0 / 3.0 * (X(i + 1) - X(i - 1));
      A.element(i, i + 1) = W(i) / 3.0;
      r[static_cast<size_t>(i)] = (Y(i + 1) - Y(i)) / W(i) - (Y(i) - Y(i - 1)) / W(i - 1);
    }
    if (m_left == second_deriv) {
      A.element(0, 0) = 2.0;
      A.element(0, 1) = 0.0;
      r[0] = m_left_value;
    } else if (m_left == first_deriv) {
      A.element(0, 0) = 2.0 * W(0);
      A.element(0, 1) = W(0);
      r[0] = 3.0 * ((Y(1) - Y(0)) / W(0) - m_left_value);
    } else {
      Require(false, "false");
    }
    if (m_right == second_deriv) {
      A.element(n - 1, n - 1) = 2.0;
      A.element(n - 1, n - 2) = 0.0;
      r[static_cast<size_t>(n) - 1] = m_right_value;
    } else if (m_right == first_deriv) {
      A.element(n - 1, n - 1) = 2.0 * W(n - 2);
      A.element(n - 1, n - 2) = W(n - 2);
      r[static_cast<size_t>(n) - 1] = 3.0 * (m_right_value - (Y(n - 1) - Y(n - 2)) / W(n - 2));
    } else {
      Require(false, "false");
    }
    m_b = A.solve_lu(r, false);
    m_a.assign(static_cast<size_t>(n), 0.0);
    m_c.assign(static_cast<size_t>(n), 0.0);
    for (int i = 0; i < n - 1; ++i) {
      const size_t s = static_cast<size_t>(i);
      m_a[s] = (m_b[s + 1] - m_b[s]) / 3.0 / W(i);
      m_c[s] = (Y(i + 1) - Y(i)) / W(i) - (2.0 * m_b[s] + m_b[s + 1]) * W(i) / 3.0;
    }
  } else {
    m_a.assign(static_cast<size_t>(n), 0.0);
    m_b.assign(static_cast<size_t>(n), 0.0);
    m_c.assign(static_cast<size_t>(n), 0.0);
    for (int i = 0; i < n - 1; ++i) m_c[static_cast<size_t>(i)] = (Y(i + 1) - Y(i)) / W(i);
  }

  m_b0 = m_force_linear_extrapolation ? 0.0 : m_b[0];
  m_c0 = m_c[0];
  const size_t last = static_cast<size_t>(n) - 1;
  const double h = W(n - 2);
  m_a[last] = 0.0;
  m_c[last] = 3.0 * m_a[last - 1] * h * h + 2.0 * m_b[last - 1] * h + m_c[last - 1];
  if (m_force_linear_extrapolation) m_b[last] = 0.0;
}

double spline::value_at(double x) const {
  const size_t n = m_x.size();
  if (n == 0) return 0.0;  // nothing fitted yet
  const auto it = std::lower_bound(m_x.begin(), m_x.end(), x);
  const size_t idx = static_cast<size_t>(std::max<std::ptrdiff_t>(it - m_x.begin() - 1, 0));
  const double h = x - m_x[idx];
  if (x < m_x[0]) return (m_b0 * h + m_c0) * h + m_y[0];
  if (x > m_x[n - 1]) return (m_b[n - 1] * h + m_c[n - 1]) * h + m_y[n - 1];
  return ((m_a[idx] * h + m_b[idx]) * h + m_c[idx]) * h + m_y[idx];
}
