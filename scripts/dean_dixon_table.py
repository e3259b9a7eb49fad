#!/usr/bin/env python3
"""Upper critical values of Dixon's outlier ratio for normal samples, n = 3 .. 100.

For each n the ratio of the library's outlier test is

    n  3 ..  7: r10 = (x[n] - x[n-1]) / (x[n] - x[1])     (i = 0 low values skipped, j = 1)
    n  8 .. 10: r11 = (x[n] - x[n-1]) / (x[n] - x[2])     (i = 1, j = 1)
    n 11 .. 13: r21 = (x[n] - x[n-2]) / (x[n] - x[2])     (i = 1, j = 2)
    n 14 ..100: r22 = (x[n] - x[n-2]) / (x[n] - x[3])     (i = 2, j = 2)

and the critical value c(alpha) solves P(r > c) = alpha for a sample of n independent standard
normal values. With w = x[i+1], u = x[n] and the m = n - i - 2 values between them independent
given (w, u), r > c means that fewer than j of those m values lie above t = u - c (u - w), so

    P(r > c) = n! / (i! m!) * Int Int phi(u) phi(w) Phi(w)^i
                 * sum_{k<j} C(m, k) (Phi(u) - Phi(t))^k (Phi(t) - Phi(w))^(m-k)  dw du,

a two-dimensional integral over w < u. It is evaluated with composite 10-point Gauss-Legendre
rules in u and in the range s = u - w (panels of 0.5 over [-9, 9] and [0, 18]); the constant
part of the integrand is the joint density of (x[i+1], x[n]), whose quadrature sum is printed
as a check (it must be 1). c is found by bisection to 1e-7. Only the standard library is used;
the run is deterministic. Output: one line per n with the nine levels
0.001 0.002 0.005 0.01 0.02 0.05 0.1 0.2 0.5, rounded to three decimals.

Usage:
  python3 scripts/dean_dixon_table.py > tests/data/statis/dean_dixon_computed.txt
  python3 scripts/dean_dixon_table.py --cpp tests/data/statis/dean_dixon_computed.txt \
      > library/statistics/DOV_statis_deandixon.cpp
The second form writes the library's table: the published rows below as they stand, every
other row from the computed file.
"""

import math
import sys
from multiprocessing import Pool

LEVELS = [0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5]
SQRT2 = math.sqrt(2.0)


def ratio_of(n):
    if n <= 7:
        return 0, 1
    if n <= 10:
        return 1, 1
    if n <= 13:
        return 1, 2
    return 2, 2


def gauss_legendre(order):
    nodes, weights = [], []
    for k in range(1, order + 1):
        x = math.cos(math.pi * (k - 0.25) / (order + 0.5))
        for _ in range(100):
            p0, p1 = 1.0, x
            for ell in range(2, order + 1):
                p0, p1 = p1, ((2 * ell - 1) * x * p1 - (ell - 1) * p0) / ell
            dp = order * (x * p1 - p0) / (x * x - 1.0)
            dx = p1 / dp
            x -= dx
            if abs(dx) < 1e-16:
                break
        nodes.append(x)
        weights.append(2.0 / ((1.0 - x * x) * dp * dp))
    return nodes, weights


def composite(lo, hi, panel, order=10):
    nodes, weights = gauss_legendre(order)
    xs, ws = [], []
    count = int(round((hi - lo) / panel))
    for p in range(count):
        a = lo + p * panel
        half = panel / 2.0
        for x, w in zip(nodes, weights):
            xs.append(a + half * (x + 1.0))
            ws.append(half * w)
    return xs, ws


def phi(x):
    return math.exp(-0.5 * x * x) / math.sqrt(2.0 * math.pi)


def cdf(x):
    return 0.5 * math.erfc(-x / SQRT2)


def upper(x):
    return 0.5 * math.erfc(x / SQRT2)


def mass(a, b):
    """Phi(b) - Phi(a) for a <= b without cancellation in either tail."""
    if a >= 0.0:
        return upper(a) - upper(b)
    return cdf(b) - cdf(a)


def points(n):
    """Quadrature nodes (u, w, s, weight times the c-independent part, Phi(u) - Phi(w))."""
    i, _ = ratio_of(n)
    m = n - i - 2
    lnconst = math.lgamma(n + 1) - math.lgamma(i + 1) - math.lgamma(m + 1)
    us, uw = composite(-9.0, 9.0, 0.5)
    ss, sw = composite(0.0, 18.0, 0.5)
    result = []
    total = 0.0
    for u, wu in zip(us, uw):
        for s, ws in zip(ss, sw):
            w = u - s
            inner = mass(w, u)
            if inner <= 0.0:
                continue
            lnbase = (lnconst + math.log(phi(u)) + math.log(phi(w)) + i * math.log(cdf(w))
                      + m * math.log(inner))
            base = math.exp(lnbase) * wu * ws
            if base < 1e-22:
                continue
            total += base
            result.append((u, w, s, base, inner))
    return result, total, m


def exceedance(c, nodes, m, j):
    """P(r > c): the c = 0 integrand times the binomial probability of fewer than j values
    of the m inner ones above t."""
    acc = 0.0
    for u, w, s, base, inner in nodes:
        t = u - c * s
        q = mass(t, u) / inner
        q = min(max(q, 0.0), 1.0)
        prob = (1.0 - q) ** m
        if j == 2:
            prob += m * q * (1.0 - q) ** (m - 1)
        acc += base * prob
    return acc


def row(n):
    nodes, total, m = points(n)
    _, j = ratio_of(n)
    values = []
    for alpha in LEVELS:
        lo, hi = 0.0, 1.0
        while hi - lo > 1e-7:
            mid = 0.5 * (lo + hi)
            if exceedance(mid, nodes, m, j) / total > alpha:
                lo = mid
            else:
                hi = mid
        values.append(0.5 * (lo + hi))
    return n, total, values


# The rows of the published table the library has always carried (n: nine levels).
PUBLISHED = {
    3: "0.999 0.998 0.994 0.988 0.976 0.941 0.886 0.782 0.501",
    4: "0.964 0.949 0.921 0.889 0.847 0.766 0.679 0.561 0.324",
    7: "0.763 0.731 0.681 0.636 0.587 0.507 0.433 0.344 0.184",
    8: "0.799 0.769 0.724 0.682 0.633 0.554 0.480 0.386 0.211",
    10: "0.713 0.683 0.637 0.597 0.551 0.477 0.409 0.325 0.174",
    11: "0.770 0.746 0.708 0.674 0.636 0.575 0.518 0.445 0.304",
    13: "0.713 0.687 0.649 0.617 0.580 0.522 0.467 0.399 0.269",
    14: "0.732 0.708 0.672 0.640 0.603 0.546 0.491 0.422 0.287",
    20: "0.627 0.604 0.568 0.538 0.503 0.450 0.401 0.339 0.224",
    30: "0.539 0.517 0.484 0.456 0.425 0.376 0.332 0.278 0.179",
    50: "0.460 0.439 0.410 0.384 0.355 0.312 0.272 0.226 0.143",
    100: "0.387 0.368 0.341 0.317 0.292 0.253 0.219 0.179 0.111",
}


def write_cpp(computed_path):
    rows = {}
    with open(computed_path) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            parts = line.split()
            rows[int(parts[0])] = parts[1:10]
    for n, text in PUBLISHED.items():
        rows[n] = text.split()
    out = [
        "// Generated by scripts/dean_dixon_table.py --cpp; do not edit by hand.",
        "// Upper critical values of Dixon's ratio for n = 3 .. 100 at alpha = 0.001, 0.002,",
        "// 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5: the rows for n = 3, 4, 7, 8, 10, 11, 13, 14,",
        "// 20, 30, 50 and 100 from the published table, the others computed by the script",
        "// (numerical integration of the ratio's distribution for normal samples).",
        "",
        '#include "DOV_statis_tests.h"',
        "",
        "namespace {",
        "",
        "constexpr Integer kFirstN = 3;",
        "constexpr Integer kLastN = 100;",
        "",
        "const double kDeanDixon[kLastN - kFirstN + 1][9] = {",
    ]
    for n in range(3, 101):
        note = "%d, published" % n if n in PUBLISHED else "%d" % n
        out.append("    {%s},  // %s" % (", ".join(rows[n]), note))
    out += [
        "};",
        "",
        "}  // namespace",
        "",
        "double DeanDixonCriticalValues(Integer n, TSignifLevelEx level) {",
        "  if (n < kFirstN || n > kLastN || level < Dot001 || level > Dot500) return -1;",
        "  return kDeanDixon[n - kFirstN][level];",
        "}",
    ]
    print("\n".join(out))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--cpp":
        write_cpp(sys.argv[2])
        return
    with Pool(6) as pool:
        rows = pool.map(row, range(3, 101))
    print("# n, then the critical values for alpha = " + " ".join(str(a) for a in LEVELS))
    print("# computed by scripts/dean_dixon_table.py; last column: quadrature check (1 - sum)")
    for n, total, values in rows:
        print("%3d %s  %.1e" % (n, " ".join("%.3f" % v for v in values), 1.0 - total))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
