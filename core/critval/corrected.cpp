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
#include "critval/terms.hpp"
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

}  // namespace

bool fit(double alpha, double (&x)[3], double& exact_two) {
  std::int64_t fault = 0;
  double y[3];
  y[0] = as111::quantile((std::sqrt(1.0 - alpha) + 1.0) * 0.5, fault);
  if (fault == 1) return false;
  // The asymptotic anchors share their level term.
  const double level = level_term(alpha);
  y[1] = kLevelFree100 + level / kAnchors[1].root;
  y[2] = kLevelFree200 + level / kAnchors[2].root;
  linsolve::solve_factorised(kFit, y, x);
  exact_two = y[0];
  return true;
}

bool single_value(double alpha, double& value) {
  std::int64_t fault = 0;
  const double z = as111::quantile(1.0 - 0.5 * alpha, fault);
  if (fault == 1) return false;
  value = z;
  return true;
}

std::optional<double> corrected(std::int64_t n, double alpha) {
  double single = 0.0;
  if (n == 1) return single_value(alpha, single) ? std::optional(single) : std::nullopt;
  double x[3], exact_two;
  if (!fit(alpha, x, exact_two)) return std::nullopt;
  return curve_at(n, x);
}

}  // namespace critval
