/* Registration of the native routines; no dynamic symbol lookup. */
#include <R_ext/Rdynload.h>

#include "korvalen_r.h"

static const R_CallMethodDef call_methods[] = {
    {"ljungcv", (DL_FUNC)&korvalen_r_ljungcv, 3},
    {"explain", (DL_FUNC)&korvalen_r_explain, 3},
    {"tail", (DL_FUNC)&korvalen_r_tail, 3},
    {"above_alpha", (DL_FUNC)&korvalen_r_above_alpha, 3},
    {NULL, NULL, 0},
};

void R_init_korvalen(DllInfo* dll) {
  R_registerRoutines(dll, NULL, call_methods, NULL, NULL);
  R_useDynamicSymbols(dll, FALSE);
  R_forceSymbols(dll, TRUE);
}
