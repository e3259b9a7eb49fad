#pragma once
// A library matrix in the form of the Eigen yardstick.

#include <Eigen/Core>

#include "DOV_matrix.h"

namespace bench_support {

inline Eigen::MatrixXd AsEigen(const TMatrix& m) {
  Eigen::MatrixXd e(m.NrOfRows(), m.NrOfColumns());
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r) e(r - 1, c - 1) = m.GetVal(c, r);
  return e;
}

}  // namespace bench_support
