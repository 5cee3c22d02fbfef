// The numerical routines under their exported names: every argument by
// reference, each a thin wrapper over the core; where a formula has no
// value, the host's missing value.
#include "critval/critval.hpp"
#include "linsolve/linsolve.hpp"
#include "module/exports.h"
#include "statuses/host_outcomes.hpp"

extern "C" {

KORVALEN_EXPORT double setcvl_(std::int64_t* n, double* alpha) {
  return critval::asymptotic(*n, *alpha).value_or(statuses::kMissingValue);
}

KORVALEN_EXPORT double setcv_(std::int64_t* n, double* alpha) {
  return critval::corrected(*n, *alpha).value_or(statuses::kMissingValue);
}

KORVALEN_EXPORT double ppnd_(double* p, std::int64_t* fault) {
  return critval::normal_quantile(*p, *fault);
}

KORVALEN_EXPORT void lassol_(std::int64_t* n, double* a, double* b, std::int64_t* lda, double* x,
                             std::int64_t* ifault) {
  *ifault = linsolve::solve(*n, a, b, *lda, x);
}

KORVALEN_EXPORT std::int64_t dpeq_(double* a, double* b) {
  return linsolve::near_equal(*a, *b);
}

KORVALEN_EXPORT std::int64_t dpeq_M(double* a, double* b) {
  return linsolve::near_equal_missing(*a, *b);
}

}  // extern "C"
