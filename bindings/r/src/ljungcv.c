/* ljungcv(n, alpha, method) and ljungcv_explain() over whole vectors through
 * the C API's vector form, which recycles, skips an NA method, asks about
 * interrupts between pieces of work and says what to warn about, in its own
 * words. Each argument has one element or the longest one's length (the R
 * side recycles). */
#include <R.h>
#include <Rinternals.h>
#include <string.h>
#include <korvalen/korvalen.h>

#include "korvalen_r.h"

static R_xlen_t element_count(SEXP n, SEXP alpha, SEXP method) {
  R_xlen_t count = XLENGTH(n);
  if (XLENGTH(alpha) > count) count = XLENGTH(alpha);
  if (XLENGTH(method) > count) count = XLENGTH(method);
  return count;
}

/* The methods as bytes: in UTF-8, or as they are where declared "bytes"
 * (which R will not translate); and a flag for each element whose method is
 * NA, which is not evaluated. */
typedef struct {
  korvalen_method* method;
  unsigned char* skip; /* NULL: none is NA */
} Methods;

static Methods methods_of(SEXP method, R_xlen_t count) {
  const R_xlen_t m = XLENGTH(method);
  Methods out = {(korvalen_method*)R_alloc((size_t)m, sizeof(korvalen_method)), NULL};
  for (R_xlen_t i = 0; i < m; ++i) {
    const SEXP k = STRING_ELT(method, i);
    if (k == NA_STRING) {
      if (out.skip == NULL) out.skip = (unsigned char*)S_alloc(count, 1);
      out.method[i].bytes = NULL;
      out.method[i].length = 0;
      continue;
    }
    const char* bytes = getCharCE(k) == CE_BYTES ? CHAR(k) : translateCharUTF8(k);
    out.method[i].bytes = bytes;
    out.method[i].length = strlen(bytes);
  }
  for (R_xlen_t i = 0; out.skip != NULL && i < count; ++i) {
    out.skip[i] = STRING_ELT(method, m == 1 ? 0 : i) == NA_STRING;
  }
  return out;
}

/* An interrupt noticed without jumping out of the library's frames. */
static void check_interrupt(void* unused) {
  (void)unused;
  R_CheckUserInterrupt();
}

static int interrupted(void* unused) {
  (void)unused;
  return R_ToplevelExec(check_interrupt, NULL) == FALSE;
}

static void check(size_t done) {
  if (done == KORVALEN_STOPPED) error("interrupted");
  if (done == SIZE_MAX) error("the library refused its arguments");
}

/* list(values, warnings): the warnings of a summary in the library's words,
 * without the host's status: n not whole, and the kind of result without a
 * value ("" for none). */
static SEXP with_warnings(SEXP values, const korvalen_summary* summary, int no_value) {
  const int kinds[] = {KORVALEN_NOT_WHOLE, no_value};
  SEXP said = PROTECT(allocVector(STRSXP, 2));
  for (int k = 0; k < 2; ++k) {
    const size_t length = korvalen_warning(summary, kinds[k] | KORVALEN_PLAIN, NULL, 0);
    char* text = R_alloc(length + 1, 1);
    korvalen_warning(summary, kinds[k] | KORVALEN_PLAIN, text, length + 1);
    SET_STRING_ELT(said, k, mkCharLenCE(text, (int)length, CE_UTF8));
  }
  SEXP result = PROTECT(allocVector(VECSXP, 2));
  SET_VECTOR_ELT(result, 0, values);
  SET_VECTOR_ELT(result, 1, said);
  UNPROTECT(2);
  return result;
}

/* list(values, warnings): NA without a value, and the warnings to give. */
SEXP korvalen_r_ljungcv(SEXP n, SEXP alpha, SEXP method) {
  const R_xlen_t count = element_count(n, alpha, method);
  const Methods m = methods_of(method, count);
  SEXP values = PROTECT(allocVector(REALSXP, count));
  double* v = REAL(values);
  korvalen_summary summary;
  const size_t done = korvalen_ljungcv_many(
      (size_t)count, REAL(n), (size_t)XLENGTH(n), REAL(alpha), (size_t)XLENGTH(alpha), m.method,
      (size_t)XLENGTH(method), m.skip, v, NULL, NULL, &summary, interrupted, NULL);
  check(done);
  for (R_xlen_t i = 0; done > 0 && i < count; ++i) {
    if (ISNAN(v[i])) v[i] = NA_REAL; /* the host's missing value becomes R's */
  }
  SEXP result = PROTECT(with_warnings(values, &summary, KORVALEN_NO_VALUE));
  UNPROTECT(2);
  return result;
}

static void store_sentence(void* sentences, size_t i, const char* text, size_t length) {
  SET_STRING_ELT((SEXP)sentences, (R_xlen_t)i, mkCharLenCE(text, (int)length, CE_UTF8));
}

/* Every element's sentence; NA where the method is NA. */
SEXP korvalen_r_explain(SEXP n, SEXP alpha, SEXP method) {
  const R_xlen_t count = element_count(n, alpha, method);
  const Methods m = methods_of(method, count);
  SEXP sentences = PROTECT(allocVector(STRSXP, count));
  for (R_xlen_t i = 0; m.skip != NULL && i < count; ++i) SET_STRING_ELT(sentences, i, NA_STRING);
  check(korvalen_explain_many((size_t)count, REAL(n), (size_t)XLENGTH(n), REAL(alpha),
                              (size_t)XLENGTH(alpha), m.method, (size_t)XLENGTH(method), m.skip,
                              store_sentence, interrupted, sentences));
  UNPROTECT(1);
  return sentences;
}

/* list(values, warnings) for ljungcv_level (exact FALSE) or ljungcv_exact, the
 * warnings as ljungcv gives them. */
SEXP korvalen_r_tail(SEXP exact, SEXP n, SEXP x) {
  const R_xlen_t count = XLENGTH(n) > XLENGTH(x) ? XLENGTH(n) : XLENGTH(x);
  const int is_exact = asLogical(exact);
  SEXP values = PROTECT(allocVector(REALSXP, count));
  korvalen_summary summary;
  check((is_exact ? korvalen_exact_array : korvalen_level_array)(
      (size_t)count, REAL(n), (size_t)XLENGTH(n), REAL(x), (size_t)XLENGTH(x), REAL(values), NULL,
      NULL, &summary));
  for (R_xlen_t i = 0; i < count; ++i) {
    if (ISNAN(REAL(values)[i])) REAL(values)[i] = NA_REAL;
  }
  SEXP result = PROTECT(with_warnings(values, &summary, is_exact ? KORVALEN_NO_EXACT : KORVALEN_NO_LEVEL));
  UNPROTECT(2);
  return result;
}

/* The library's warning for values above their alpha, "" for none. One pass
 * over the values: the text fits the buffer but for very long numbers, where
 * a second call writes it whole. */
SEXP korvalen_r_above_alpha(SEXP n, SEXP alpha, SEXP values) {
  const size_t count = (size_t)XLENGTH(values);
  char fits[512];
  char* text = fits;
  size_t length = korvalen_above_alpha(count, REAL(n), (size_t)XLENGTH(n), REAL(alpha),
                                       (size_t)XLENGTH(alpha), REAL(values), fits, sizeof fits);
  check(length);
  if (length >= sizeof fits) {
    text = R_alloc(length + 1, 1);
    korvalen_above_alpha(count, REAL(n), (size_t)XLENGTH(n), REAL(alpha), (size_t)XLENGTH(alpha),
                         REAL(values), text, length + 1);
  }
  return ScalarString(mkCharLenCE(text, (int)length, CE_UTF8));
}
