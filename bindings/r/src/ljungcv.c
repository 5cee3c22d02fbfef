/* ljungcv(n, alpha, method) and ljungcv_explain() over whole vectors through
 * the C API. Each argument has one element or the longest one's length (the R
 * side recycles); the work goes in chunks between which an interrupt lands. */
#include <R.h>
#include <Rinternals.h>
#include <korvalen/korvalen.h>
#include <stdlib.h>

#include "korvalen_r.h"

#define CHUNK ((R_xlen_t)1 << 16) /* about a millisecond of work */

static R_xlen_t element_count(SEXP n, SEXP alpha, SEXP method) {
  R_xlen_t count = XLENGTH(n);
  if (XLENGTH(alpha) > count) count = XLENGTH(alpha);
  if (XLENGTH(method) > count) count = XLENGTH(method);
  return count;
}

/* Element i of an argument of one element or of count. */
static R_xlen_t at(SEXP x, R_xlen_t i) {
  return XLENGTH(x) == 1 ? 0 : i;
}

/* A keyword's bytes: in UTF-8, or as they are where declared "bytes" (which
 * R will not translate); an NA keyword is "" (rejected; the R side keeps it
 * silent). */
static const char* keyword_of(SEXP m) {
  if (m == NA_STRING) return "";
  return getCharCE(m) == CE_BYTES ? CHAR(m) : translateCharUTF8(m);
}

static const char** keywords(SEXP method) {
  const R_xlen_t count = XLENGTH(method);
  const char** k = (const char**)R_alloc((size_t)count, sizeof(char*));
  for (R_xlen_t i = 0; i < count; ++i) {
    k[i] = keyword_of(STRING_ELT(method, i));
  }
  return k;
}

SEXP korvalen_r_ljungcv(SEXP n, SEXP alpha, SEXP method) {
  const R_xlen_t count = element_count(n, alpha, method);
  SEXP values = PROTECT(allocVector(REALSXP, count));
  SEXP rejected = PROTECT(allocVector(INTSXP, count));
  const char** k = keywords(method);
  double* v = REAL(values);
  const int* r = INTEGER(rejected);
  int rejected_2_or_3 = 0; /* whether alpha or a method was rejected anywhere */
  for (R_xlen_t start = 0; start < count; start += CHUNK) {
    const R_xlen_t size = count - start < CHUNK ? count - start : CHUNK;
    const size_t done = korvalen_ljungcv_array(
        (size_t)size, REAL(n) + at(n, start), XLENGTH(n) == 1 ? 1 : (size_t)size,
        REAL(alpha) + at(alpha, start), XLENGTH(alpha) == 1 ? 1 : (size_t)size,
        k + at(method, start), XLENGTH(method) == 1 ? 1 : (size_t)size, v + start, NULL,
        INTEGER(rejected) + start);
    if (done == SIZE_MAX) error("korvalen_ljungcv_array refused its arguments");
    for (R_xlen_t i = start; done > 0 && i < start + size; ++i) {
      if (ISNAN(v[i])) {
        v[i] = NA_REAL; /* the host's missing value becomes R's */
        rejected_2_or_3 |= r[i] >= 2;
      }
    }
    R_CheckUserInterrupt();
  }
  SEXP result = PROTECT(allocVector(VECSXP, 3));
  SET_VECTOR_ELT(result, 0, values);
  SET_VECTOR_ELT(result, 1, rejected);
  SET_VECTOR_ELT(result, 2, ScalarLogical(rejected_2_or_3));
  UNPROTECT(3);
  return result;
}

SEXP korvalen_r_explain(SEXP n, SEXP alpha, SEXP method) {
  const R_xlen_t count = element_count(n, alpha, method);
  SEXP sentences = PROTECT(allocVector(STRSXP, count));
  size_t capacity = 256;
  char* text = R_alloc(capacity, 1);
  for (R_xlen_t i = 0; i < count; ++i) {
    const SEXP m = STRING_ELT(method, at(method, i));
    const char* keyword = keyword_of(m);
    const double ni = REAL(n)[at(n, i)], ai = REAL(alpha)[at(alpha, i)];
    if (m == NA_STRING && korvalen_ljungcv(ni, ai, keyword).rejected == 3) {
      SET_STRING_ELT(sentences, i, NA_STRING); /* no words for an NA method itself */
      continue;
    }
    const size_t length = korvalen_explain(ni, ai, keyword, NULL, 0);
    if (length + 1 > capacity) {
      capacity = length + 1;
      text = R_alloc(capacity, 1);
    }
    korvalen_explain(ni, ai, keyword, text, capacity);
    SET_STRING_ELT(sentences, i, mkCharLenCE(text, (int)length, CE_UTF8));
    if (i % CHUNK == CHUNK - 1) R_CheckUserInterrupt();
  }
  UNPROTECT(1);
  return sentences;
}
