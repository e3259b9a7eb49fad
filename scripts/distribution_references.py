#!/usr/bin/env python3
"""Reference values of the chi-square, F and Student CDFs and quantiles at large degrees of freedom,
and of the incomplete gamma and beta functions at large parameters.

Everything is computed with mpmath at 60 significant digits, independently of the library's
double arithmetic: the regularised incomplete gamma function is mpmath's own for the CDFs and
its series or continued fraction (whichever converges) for the special functions, and the
regularised incomplete beta function is its continued fraction, evaluated from whichever end
converges (x below or above (a + 1) / (a + b + 2)), with the prefactor from mpmath's log-gamma.
A quantile is found by bisection on the logarithm of x until the bracket is 1e-30 relative,
on the lower tail for p <= 1/2 and on the upper tail (from 1 - p, exact there) above.
The run is deterministic (about twenty seconds). Output: each value to 17 digits, one CDF a line
and one line of quantiles per F distribution at the probabilities of the quantile table.

Usage:
  python3 scripts/distribution_references.py
The values are copied into the tables of tests/library/statistics/test_DOV_statis_distrib.cpp.
"""

import mpmath as mp

mp.mp.dps = 60


def beta_fraction(a, b, x):
    tiny = mp.mpf(10) ** -200
    c, d = mp.mpf(1), 1 - (a + b) * x / (a + 1)
    d = 1 / (d if abs(d) > tiny else tiny)
    h = d
    for m in range(1, 10**7):
        m2 = 2 * m
        aa = m * (b - m) * x / ((a - 1 + m2) * (a + m2))
        d = 1 + aa * d
        d = 1 / (d if abs(d) > tiny else tiny)
        c = 1 + aa / c
        c = c if abs(c) > tiny else tiny
        h *= d * c
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1 + m2))
        d = 1 + aa * d
        d = 1 / (d if abs(d) > tiny else tiny)
        c = 1 + aa / c
        c = c if abs(c) > tiny else tiny
        delta = d * c
        h *= delta
        if abs(delta - 1) < mp.mpf(10) ** -55:
            return h
    raise RuntimeError("continued fraction did not converge")


def beta_tails(a, b, x):
    """I_x(a, b) and 1 - I_x(a, b)."""
    a, b, x = mp.mpf(a), mp.mpf(b), mp.mpf(x)
    if x <= 0:
        return mp.mpf(0), mp.mpf(1)
    if x >= 1:
        return mp.mpf(1), mp.mpf(0)
    y = 1 - x
    pre = mp.exp(a * mp.log(x) + b * mp.log(y) + mp.loggamma(a + b) - mp.loggamma(a)
                 - mp.loggamma(b))
    if x < (a + 1) / (a + b + 2):
        i = pre * beta_fraction(a, b, x) / a
        return i, 1 - i
    j = pre * beta_fraction(b, a, y) / b
    return 1 - j, j


def gamma_tails(a, x):
    """P(a, x) and Q(a, x): the series of P below x = a + 1, the continued fraction of Q above,
    each run until its terms no longer count at the working precision. mpmath's own gammainc
    gives up on its series for the large parameters wanted here."""
    a, x = mp.mpf(a), mp.mpf(x)
    if x <= 0:
        return mp.mpf(0), mp.mpf(1)
    pre = mp.exp(a * mp.log(x) - x - mp.loggamma(a))
    eps = mp.mpf(10) ** -55
    if x < a + 1:
        term = total = 1 / a
        k = a
        while term > eps * total:
            k += 1
            term *= x / k
            total += term
        p = pre * total
        return p, 1 - p
    tiny = mp.mpf(10) ** -200
    b = x + 1 - a
    c, d = 1 / tiny, 1 / b
    h = d
    for i in range(1, 10**8):
        an = -i * (i - a)
        b += 2
        d = an * d + b
        d = 1 / (d if abs(d) > tiny else tiny)
        c = b + an / c
        c = c if abs(c) > tiny else tiny
        delta = d * c
        h *= delta
        if abs(delta - 1) < eps:
            q = pre * h
            return 1 - q, q
    raise RuntimeError("continued fraction did not converge")


def f_tails(x, d1, d2):
    x = mp.mpf(x)
    return beta_tails(mp.mpf(d1) / 2, mp.mpf(d2) / 2, d1 * x / (d1 * x + d2))


def chi2_tails(x, df):
    a, h = mp.mpf(df) / 2, mp.mpf(x) / 2
    if h < a:
        p = mp.gammainc(a, 0, h, regularized=True)
        return p, 1 - p
    q = mp.gammainc(a, h, mp.inf, regularized=True)
    return 1 - q, q


def t_cdf(t, df):
    t = mp.mpf(t)
    upper = beta_tails(mp.mpf(df) / 2, mp.mpf(1) / 2, df / (df + t * t))[0] / 2
    return upper if t < 0 else 1 - upper


def quantile(tails, p):
    p = mp.mpf(p)
    lower = p <= mp.mpf(1) / 2
    target = p if lower else 1 - p

    def above(x):  # the root lies above x
        lo_tail, up_tail = tails(x)
        return lo_tail < target if lower else up_tail > target

    lo = hi = mp.mpf(1)
    while above(hi):
        hi *= 2
    while not above(lo):
        lo /= 2
    while hi / lo - 1 > mp.mpf(10) ** -30:
        mid = mp.sqrt(lo * hi)
        if above(mid):
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def show(v):
    return mp.nstr(v, 17) if v != 0 else "0"


def main():
    cdfs = [
        ("F", (1.0, 10**6, 10**6), lambda x, a, b: f_tails(x, a, b)[0]),
        ("F", (1.5708e-10, 1, 10**6), lambda x, a, b: f_tails(x, a, b)[0]),
        ("F", (1.002, 10**6, 10**6), lambda x, a, b: f_tails(x, a, b)[0]),
        ("F", (3.0, 3, 10**6), lambda x, a, b: f_tails(x, a, b)[0]),
        ("chi2", (1e6, 10**6), lambda x, df: chi2_tails(x, df)[0]),
        ("chi2", (995000.0, 10**6), lambda x, df: chi2_tails(x, df)[0]),
        ("chi2", (980000.0, 10**6), lambda x, df: chi2_tails(x, df)[0]),
        ("chi2", (201000.0, 2 * 10**5), lambda x, df: chi2_tails(x, df)[0]),
        ("t", (-3.0, 10**6), lambda x, df: t_cdf(x, df)),
        ("t", (0.5, 10**6), lambda x, df: t_cdf(x, df)),
    ]
    print("// CDFs")
    for name, args, f in cdfs:
        print(f"  {name}{args} = {show(f(*args))}")
    # IncompleteGamma(x, a) = P(a, x) and IncompleteBeta(x, a, b) = I_x(a, b), in the library's
    # order of arguments, where the parameters are large.
    print("// special functions")
    for x, a in [(1000002.0, 1e6), (999000.0, 1e6), (1e8 + 1e4, 1e8), (1e9 - 2e5, 1e9),
                 (298000.0, 3e5), (1e-300, 0.5), (1e-310, 1e-310)]:
        print(f"  IncompleteGamma({x!r}, {a!r}) = {show(gamma_tails(a, x)[0])}")
    # and where one parameter is large or tiny and x lies near 1 (x is the double given, not
    # the decimal text: 1 - x carries only a few digits there).
    for x, a, b in [(0.5, 1e6, 1e6), (0.5005, 1e6, 1e6), (0.9901, 1e8, 1e6),
                    (2 / 7 + 5e-6, 2e9, 5e9), (0.9999999999952679, 1e12, 3.0),
                    (0.99999999999996, 5e13, 0.5), (0.999, 5.0, 1e-10), (0.5, 1e-310, 1e-310),
                    (1e-300, 1e-300, 1.0)]:
        print(f"  IncompleteBeta({x!r}, {a!r}, {b!r}) = {show(beta_tails(a, b, x)[0])}")
    ps = ["1e-300", "1e-100", "1e-10", "1e-6", "0.05", "0.5 - 1e-9", "0.5", "0.7", "0.999",
          "1 - 1e-10", "1 - 0x1p-53"]
    values = [mp.mpf(1e-300), mp.mpf(1e-100), mp.mpf(1e-10), mp.mpf(1e-6), mp.mpf(0.05),
              mp.mpf(0.5 - 1e-9), mp.mpf(0.5), mp.mpf(0.7), mp.mpf(0.999),
              mp.mpf(1 - 1e-10), 1 - mp.mpf(2) ** -53]
    for d1, d2 in [(10**6, 1), (3, 10**6)]:
        print(f"// F quantiles {d1},{d2} at p = {', '.join(ps)}")
        print("  {" + ", ".join(show(quantile(lambda x: f_tails(x, d1, d2), p))
                               for p in values) + "}")


if __name__ == "__main__":
    main()
