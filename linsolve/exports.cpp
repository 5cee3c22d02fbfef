// C entry points of the solver and the tolerance comparisons.
#include "linsolve/linsolve.hpp"
#include "module/korvalen.h"

extern "C" {

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
