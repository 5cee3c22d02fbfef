// Corrected critical value: x1 + x2 f2(n) + x3 f3(n) with
//   f2(m) = (ln ln m + c) / (2 sqrt(2 ln m)),  f3(m) = sqrt(2 ln m),
// the coefficients solved on every call so that the curve passes through the
// exact value for two statistics and the asymptotic values at 100 and 200.
//
// Everything that depends on neither n nor alpha is a constant: the anchors'
// logarithms and roots (hexadecimal literals, checked against the run-time
// log and sqrt by a test), the design matrix and its factorisation (constexpr,
// in the solver's own order of operations). Each call solves for its own
// right-hand side; the results are bit for bit those of building and
// eliminating the whole system on every call (in the default rounding mode).
#include <array>
#include <cmath>
#include <limits>

#include "critval/anchors.hpp"
#include "critval/as111.hpp"
#include "critval/critval.hpp"
#include "critval/fit.hpp"
#include "linsolve/linsolve.hpp"

namespace critval {
namespace {

// Design matrix by columns, leading dimension 3: row i is (1, f2(m_i), f3(m_i)).
constexpr std::array<double, 9> design() {
  std::array<double, 9> d{};
  for (int i = 0; i < 3; ++i) {
    const Anchor& m = kAnchors[i];
    d[i + 0 * 3] = 1.0;
    d[i + 1 * 3] = (m.log_log + kLog4Pi) / (m.root * 2.0);
    d[i + 2 * 3] = m.root;
  }
  return d;
}

constexpr std::array<double, 9> kDesign = design();
constexpr linsolve::Factorisation kFit = linsolve::factorise(3, kDesign.data(), 3);
static_assert(!kFit.singular, "the anchor sizes give a regular system");

// The asymptotic value at an anchor less its level term: a - (c + ln ln m) / (a + a).
constexpr double level_free(const Anchor& m) {
  return m.root - (kLog4Pi + m.log_log) / (m.root + m.root);
}
constexpr double kLevelFree100 = level_free(kAnchors[1]);
constexpr double kLevelFree200 = level_free(kAnchors[2]);

// Solves for the coefficients at this level; false when its quantile fails.
// y[0] is left holding the exact value for two statistics.
[[gnu::always_inline]] inline bool fit(double alpha, double (&y)[3], double (&x)[3]) {
  std::int64_t fault = 0;
  y[0] = as111::quantile((std::sqrt(1.0 - alpha) + 1.0) * 0.5, fault);
  if (fault == 1) return false;
  // The asymptotic anchors share their level term -ln(-ln(2 - sqrt(1 + alpha)) / 2).
  const double t = 2.0 - std::sqrt(1.0 + alpha);
  const double level = -std::log(-0.5 * std::log(t));
  y[1] = kLevelFree100 + level / kAnchors[1].root;
  y[2] = kLevelFree200 + level / kAnchors[2].root;
  linsolve::solve_factorised(kFit, y, x);
  return true;
}

}  // namespace

bool fit_coefficients(double alpha, double (&x)[3]) {
  double y[3];
  return fit(alpha, y, x);
}

double corrected(std::int64_t n, double alpha, double& exact_two) {
  exact_two = std::numeric_limits<double>::quiet_NaN();
  if (n == 1) {
    std::int64_t fault = 0;
    const double z = as111::quantile(1.0 - 0.5 * alpha, fault);
    return fault == 1 ? kMissing : z;
  }
  double y[3];
  double x[3];
  if (!fit(alpha, y, x)) return kMissing;
  exact_two = y[0];
  const double ln = std::log(static_cast<double>(n));
  const double a = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return (x[2] * a + x[0]) + ((kLog4Pi + g) / (a + a)) * x[1];
}

double corrected(std::int64_t n, double alpha) {
  double exact_two;
  return corrected(n, alpha, exact_two);
}

}  // namespace critval
