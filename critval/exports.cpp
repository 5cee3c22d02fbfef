// C entry points of the critical-value routines: every argument by reference.
#include "critval/critval.hpp"
#include "module/korvalen.h"

extern "C" {

KORVALEN_EXPORT double setcvl_(std::int64_t* n, double* alpha) {
  return critval::asymptotic(*n, *alpha);
}

KORVALEN_EXPORT double setcv_(std::int64_t* n, double* alpha) {
  return critval::corrected(*n, *alpha);
}

KORVALEN_EXPORT double ppnd_(double* p, std::int64_t* fault) {
  return critval::normal_quantile(*p, *fault);
}

}  // extern "C"
