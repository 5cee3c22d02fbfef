/* korvalen: LJUNGCV critical values for programs outside the host.
 *
 * korvalen_ljungcv(n, alpha, method) is the host function LJUNGCV(n, alpha
 * [, method]) as a C call: the critical value against which the largest of n
 * absolute standardized statistics is compared at level alpha, bit for bit
 * what the host gets, with the host's status and the argument it would flag.
 *
 *     korvalen_result r = korvalen_ljungcv(100, 0.05, NULL);
 *     r.value == 3.810087571983974, r.status == KORVALEN_SUCCESS
 *
 * C11 and C++. Link with -lkorvalen (pkg-config korvalen, or CMake's
 * find_package(korvalen) and korvalen::korvalen). Thread-safe; no allocation.
 */
#ifndef KORVALEN_KORVALEN_H
#define KORVALEN_KORVALEN_H

#include <stddef.h>
#include <stdint.h>

/* The API's major version: the library's SONAME is libkorvalen.so.<this>.
 * Minor versions only add: 1.1 added korvalen_explain, 1.2 the _bytes forms,
 * 1.3 the _many forms and korvalen_warning, 1.4 the level and the exact value,
 * 1.5 the decision in korvalen_summary (programs built before it keep the
 * summary they were built with, under the symbol versions they link). */
#define KORVALEN_API_VERSION 1
#define KORVALEN_API_MINOR_VERSION 5

#if defined(KORVALEN_BUILDING_LIBRARY)
#define KORVALEN_API __attribute__((visibility("default")))
#else
#define KORVALEN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses, as LJUNGCV returns them to the host. */
enum {
  KORVALEN_SUCCESS = 0,              /* value holds the critical value */
  KORVALEN_MISSING_RESULT = 120833,  /* accepted arguments, no value (0x1D801) */
  KORVALEN_INVALID_ARGUMENT = 120836 /* an argument was rejected (0x1D804) */
};

typedef struct korvalen_result {
  double value;     /* the critical value; the host's missing value (a NaN,
                       bits 0xFFFFFE0000000000) whenever status is not 0 */
  int32_t status;   /* KORVALEN_SUCCESS, _MISSING_RESULT or _INVALID_ARGUMENT */
  int32_t rejected; /* the 1-based argument rejected (1 n, 2 alpha, 3 method), or 0 */
} korvalen_result;

/* LJUNGCV(n, alpha [, method]). n is truncated toward zero; alpha must lie in
 * [0, 0.1]; method is a NUL-terminated keyword (L, LJUNG: asymptotic; C, CORR,
 * CORRECT, CORRECTED: corrected; blanks around it and lower case allowed), or
 * NULL for the default, the corrected method. */
KORVALEN_API korvalen_result korvalen_ljungcv(double n, double alpha, const char* method);

/* count evaluations; element i takes n[i % n_count], alpha[i % alpha_count]
 * and method[i % method_count] (a NULL method array, or method_count 0, means
 * the default for every element; a NULL element, the default for that one).
 * Writes values[i], and statuses[i] and rejected[i] where those arrays are
 * not NULL; each value is bit for bit korvalen_ljungcv's for its element.
 * What depends on alpha and the method alone is computed once for each run of
 * elements with equal ones, so one alpha for many n costs little more than
 * the terms in n.
 *
 * Shared storage: values may be the same array as n, or as alpha, when that
 * array has count elements (is not recycled); otherwise no output may overlap
 * an input or another output.
 *
 * Returns how many elements have no value (status not 0), or SIZE_MAX,
 * writing nothing, when count > 0 and n_count or alpha_count is 0, values is
 * NULL, or the arrays overlap as they may not. */
KORVALEN_API size_t korvalen_ljungcv_array(size_t count, const double* n, size_t n_count,
                                           const double* alpha, size_t alpha_count,
                                           const char* const* method, size_t method_count,
                                           double* values, int32_t* statuses, int32_t* rejected);

/* Why korvalen_ljungcv(n, alpha, method) gave no value, as one sentence (the
 * one the ljungcv tool prints), or "" for a value:
 *
 *     korvalen_explain(100, 0.2, NULL, buf, sizeof buf) writes
 *     "argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1
 *     inclusive (status 120836)"
 *
 * As snprintf: writes at most size bytes, NUL-terminated when size > 0, and
 * returns the sentence's length; a NULL buffer or size 0 gives the length
 * only. Control bytes of a quoted method appear as \xNN. Since API 1.1. */
KORVALEN_API size_t korvalen_explain(double n, double alpha, const char* method, char* buffer,
                                     size_t size);

/* korvalen_ljungcv and korvalen_explain for a method of method_length bytes,
 * NULs among them, as the host passes a method (a NUL is no part of any
 * keyword: such a method is rejected). A NULL method is the default. The
 * sentence counts and quotes the bytes given; result, where not NULL,
 * receives korvalen_ljungcv_bytes's result for the same call, from the same
 * one evaluation. Since API 1.2. */
KORVALEN_API korvalen_result korvalen_ljungcv_bytes(double n, double alpha, const char* method,
                                                    size_t method_length);
KORVALEN_API size_t korvalen_explain_bytes(double n, double alpha, const char* method,
                                           size_t method_length, char* buffer, size_t size,
                                           korvalen_result* result);

/* Since API 1.3: whole vectors as the R and Python packages take them, so
 * that both (and any other binding) recycle, skip, stay interruptible and
 * warn by one set of rules, in the same words. */

/* A method as bytes with their length, NULs among them; bytes NULL: the
 * default. */
typedef struct korvalen_method {
  const char* bytes;
  size_t length;
} korvalen_method;

/* Elements of one kind in a _many call: how many, and the first of them with
 * its arguments (method.bytes points into the caller's method array). */
typedef struct korvalen_notice {
  size_t count;
  size_t first;
  double n;
  double alpha;
  korvalen_method method;
} korvalen_notice;

/* What the call decided for the first element without a value, kept for
 * korvalen_warning to word without evaluating it again: the library's own,
 * not for the caller to read or write. Since API 1.5. */
typedef struct korvalen_decision {
  double value;
  int32_t reason;
  int32_t method;
} korvalen_decision;

/* What a _many call has to tell its user. Skipped elements and elements with
 * a missing (NaN) n or alpha count in neither. */
typedef struct korvalen_summary {
  korvalen_notice not_whole; /* n finite and not a whole number (truncated) */
  korvalen_notice no_value;  /* no value: a rejected argument or a missing result */
  korvalen_decision decided; /* for no_value.first (since API 1.5) */
} korvalen_summary;

/* Asked between pieces of about a millisecond of work; nonzero stops the call. */
typedef int (*korvalen_interrupted)(void* context);

#define KORVALEN_STOPPED (SIZE_MAX - 1)

/* korvalen_ljungcv_bytes for count elements, recycled as korvalen_ljungcv_array
 * recycles them (methods NULL or method_count 0: the default). Where skip is
 * not NULL it has count flags, and an element whose flag is nonzero (a masked
 * element, a missing method) is not evaluated: its value is the missing
 * value, its status KORVALEN_MISSING_RESULT, its rejected argument 0.
 * summary, where not NULL, receives the call's notices; interrupted, where
 * not NULL, is asked with context between pieces, and a nonzero answer stops
 * the call with KORVALEN_STOPPED, the elements not reached unwritten.
 * Otherwise returns as korvalen_ljungcv_array: how many elements have no
 * value, or SIZE_MAX for arguments refused (on the same rules). */
KORVALEN_API size_t korvalen_ljungcv_many(size_t count, const double* n, size_t n_count,
                                          const double* alpha, size_t alpha_count,
                                          const korvalen_method* method, size_t method_count,
                                          const unsigned char* skip, double* values,
                                          int32_t* statuses, int32_t* rejected,
                                          korvalen_summary* summary,
                                          korvalen_interrupted interrupted, void* context);

/* korvalen_explain_bytes for each element not skipped, recycled and skipped
 * as korvalen_ljungcv_many does; sentence(context, i, text, length) receives
 * each one ("" for a value; text NUL-terminated, valid during the call only).
 * Returns 0, SIZE_MAX (nothing done) when count > 0 and n or alpha is NULL or
 * empty or sentence is NULL, or KORVALEN_STOPPED. */
typedef void (*korvalen_sentence)(void* context, size_t i, const char* text, size_t length);
KORVALEN_API size_t korvalen_explain_many(size_t count, const double* n, size_t n_count,
                                          const double* alpha, size_t alpha_count,
                                          const korvalen_method* method, size_t method_count,
                                          const unsigned char* skip, korvalen_sentence sentence,
                                          korvalen_interrupted interrupted, void* context);

/* The warning for the notice of that kind in a summary a call filled, as
 * snprintf writes (see korvalen_explain), "" when its count is 0; worded
 * from what the call stored, nothing evaluated again:
 *
 *     KORVALEN_NOT_WHOLE: "n = 2.79 is not a whole number: truncated toward zero"
 *     KORVALEN_NO_VALUE:  the first element's sentence, status included
 *     KORVALEN_NO_LEVEL, KORVALEN_NO_EXACT: the same for a summary of
 *         korvalen_level_array or korvalen_exact_array (since API 1.4)
 *
 * followed, when count > 1, by "; 1 more element" or "; N more elements" and
 * " not whole" or " without a value". A kind with KORVALEN_PLAIN added
 * leaves out the host's status, a number that means nothing to a user of R
 * or Python (since API 1.4). An unknown kind writes "". */
enum {
  KORVALEN_NOT_WHOLE = 1,
  KORVALEN_NO_VALUE = 2,
  KORVALEN_NO_LEVEL = 3,
  KORVALEN_NO_EXACT = 4
};
#define KORVALEN_PLAIN 0x100
KORVALEN_API size_t korvalen_warning(const korvalen_summary* summary, int kind, char* buffer,
                                     size_t size);

/* Since API 1.4: the level as a number, for n independent standard normal
 * statistics (n truncated toward zero, as LJUNGCV counts it).
 *
 * korvalen_level(n, c) is the probability that the largest of the n absolute
 * values exceeds c, 1 - (1 - erfc(c / sqrt 2))^n: the level a critical value
 * c delivers, and the p-value of an observed largest absolute value c. It
 * keeps its relative precision down to 1e-300 and to within 1e-16 of 1. c
 * below 0 gives 1.
 *
 *     korvalen_level(100, 3.810087571983974).value == 0.013796664103581664
 *     korvalen_exact(100, 0.05).value == 3.4739788691540481
 *
 * korvalen_exact(n, alpha) is the critical value whose level is exactly
 * alpha: the upper alpha-quantile of the largest absolute value, within a
 * few ulp for alpha down to 1e-300. alpha must lie in [0, 1]; 0 gives
 * +infinity, the only value never exceeded.
 *
 * No value (the missing value, as korvalen_ljungcv gives it) where n or the
 * other argument is NaN (KORVALEN_MISSING_RESULT, rejected 0: a missing
 * input, not a wrong one), where n is below 1 (KORVALEN_MISSING_RESULT), and
 * for an alpha outside [0, 1] (KORVALEN_INVALID_ARGUMENT, rejected 2). The
 * _array forms recycle, write and return as korvalen_ljungcv_array does
 * (its rules for shared storage included), and fill *summary, where not
 * NULL, as korvalen_ljungcv_many does (alpha standing for c in its notices):
 * korvalen_warning words them with KORVALEN_NOT_WHOLE and KORVALEN_NO_LEVEL
 * or KORVALEN_NO_EXACT. The explain forms give the sentence as
 * korvalen_explain does. Thread-safe; no allocation. */
KORVALEN_API korvalen_result korvalen_level(double n, double c);
KORVALEN_API korvalen_result korvalen_exact(double n, double alpha);
KORVALEN_API size_t korvalen_level_array(size_t count, const double* n, size_t n_count,
                                         const double* c, size_t c_count, double* values,
                                         int32_t* statuses, int32_t* rejected,
                                         korvalen_summary* summary);
KORVALEN_API size_t korvalen_exact_array(size_t count, const double* n, size_t n_count,
                                         const double* alpha, size_t alpha_count, double* values,
                                         int32_t* statuses, int32_t* rejected,
                                         korvalen_summary* summary);
KORVALEN_API size_t korvalen_explain_level(double n, double c, char* buffer, size_t size);
KORVALEN_API size_t korvalen_explain_exact(double n, double alpha, char* buffer, size_t size);

/* The warning for values that deliver more than their alpha: values[i] the
 * critical value of element i for n[i % n_count] statistics at
 * alpha[i % alpha_count] (as korvalen_ljungcv_many recycles them), each
 * value whose level under independence (korvalen_level) exceeds its alpha by
 * more than one part in a million (the default method's, from a few
 * thousand statistics on, and at n = 3 for small alpha). Elements with a NaN
 * value, n or alpha count in none. Written as korvalen_warning writes, "" for
 * none, else the first such element's level and what keeps to alpha:
 *
 *     "n = 8000, alpha = 0.05: the value 4.485305842942268 delivers the level
 *     0.05658381139853231 for independent statistics, more than alpha; the
 *     asymptotic method, L, and the exact value 4.512339623975762 keep to it;
 *     2 more elements above alpha"
 *
 * Returns the text's length, or SIZE_MAX (nothing written) when count > 0 and
 * an array is NULL or empty. Since API 1.4. */
KORVALEN_API size_t korvalen_above_alpha(size_t count, const double* n, size_t n_count,
                                         const double* alpha, size_t alpha_count,
                                         const double* values, char* buffer, size_t size);

/* The library's version, "MAJOR.MINOR.PATCH". */
KORVALEN_API const char* korvalen_version(void);

#ifdef __cplusplus
}
#endif

#endif /* KORVALEN_KORVALEN_H */
