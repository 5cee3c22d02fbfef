/* ljungcv(n, alpha, method) over whole vectors through the C API's array form,
 * each argument recycled. A result without a value is NA_real_. */
#include <R.h>
#include <Rinternals.h>
#include <korvalen/korvalen.h>

#include "korvalen_r.h"

SEXP korvalen_r_ljungcv(SEXP n, SEXP alpha, SEXP method) {
  const R_xlen_t n_count = XLENGTH(n), alpha_count = XLENGTH(alpha);
  const R_xlen_t method_count = XLENGTH(method);
  R_xlen_t count = n_count;
  if (alpha_count > count) count = alpha_count;
  if (method_count > count) count = method_count;
  if (n_count == 0 || alpha_count == 0 || method_count == 0) count = 0;

  SEXP values = PROTECT(allocVector(REALSXP, count));
  SEXP rejected = PROTECT(allocVector(INTSXP, count));
  if (count > 0) {
    const char **keywords = (const char **)R_alloc((size_t)method_count, sizeof(char *));
    for (R_xlen_t i = 0; i < method_count; ++i) {
      const SEXP m = STRING_ELT(method, i);
      keywords[i] = m == NA_STRING ? "" : CHAR(m); /* rejected; the R side keeps it silent */
    }
    korvalen_ljungcv_array((size_t)count, REAL(n), (size_t)n_count, REAL(alpha),
                           (size_t)alpha_count, keywords, (size_t)method_count, REAL(values),
                           NULL, INTEGER(rejected));
    double *v = REAL(values);
    for (R_xlen_t i = 0; i < count; ++i) {
      if (ISNAN(v[i])) v[i] = NA_REAL; /* the host's missing value becomes R's */
    }
  }
  SEXP result = PROTECT(allocVector(VECSXP, 2));
  SET_VECTOR_ELT(result, 0, values);
  SET_VECTOR_ELT(result, 1, rejected);
  UNPROTECT(3);
  return result;
}
