/* The package's native routines, declared once for their definitions and the
 * registration table. */
#ifndef KORVALEN_R_H
#define KORVALEN_R_H

#include <Rinternals.h>

SEXP korvalen_r_ljungcv(SEXP n, SEXP alpha, SEXP method);
SEXP korvalen_r_explain(SEXP n, SEXP alpha, SEXP method);
SEXP korvalen_r_tail(SEXP exact, SEXP n, SEXP x);
SEXP korvalen_r_above_alpha(SEXP n, SEXP alpha, SEXP values);

#endif
