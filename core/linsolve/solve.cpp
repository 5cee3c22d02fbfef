// Row-equilibrated Gaussian elimination with partial pivoting, order 1 to 3:
// the factorisation and the solve of the one right-hand side.
#include "linsolve/linsolve.hpp"

namespace linsolve {

std::int64_t solve(std::int64_t order, const double* a, const double* b, std::int64_t lda,
                   double* x) {
  const Factorisation f = factorise(order, a, lda);
  if (f.singular) return kSingular;
  solve_factorised(f, b, x);
  return kSolved;
}

}  // namespace linsolve
