/* Programs built against API 1.3 and 1.4 pass a korvalen_summary of two
 * notices, without the decision that 1.5 added. These entries keep that
 * layout under the symbol versions such programs link; each fills or reads
 * a summary of today's layout and copies the notices. Only the shared
 * library has them: a static link always takes today's header. */
#define korvalen_summary korvalen_summary_now
#include <korvalen/korvalen.h>
#undef korvalen_summary

typedef struct korvalen_summary {
  korvalen_notice not_whole;
  korvalen_notice no_value;
} korvalen_summary;

_Static_assert(sizeof(korvalen_summary) == 96, "the 1.3 layout");

/* The decision such a summary lacks, from its notice evaluated again, as
 * korvalen_warning did before 1.5 (api/korvalen.cpp). */
void korvalen_decide_again(korvalen_summary_now* summary, int kind);

#define KEPT __attribute__((visibility("default")))

static void keep(korvalen_summary* before, const korvalen_summary_now* now) {
  if (before == NULL) return;
  before->not_whole = now->not_whole;
  before->no_value = now->no_value;
}

KEPT size_t korvalen_ljungcv_many_1_3(size_t count, const double* n, size_t n_count,
                                      const double* alpha, size_t alpha_count,
                                      const korvalen_method* method, size_t method_count,
                                      const unsigned char* skip, double* values, int32_t* statuses,
                                      int32_t* rejected, korvalen_summary* summary,
                                      korvalen_interrupted interrupted, void* context) {
  korvalen_summary_now now;
  const size_t r = korvalen_ljungcv_many(count, n, n_count, alpha, alpha_count, method,
                                         method_count, skip, values, statuses, rejected,
                                         summary == NULL ? NULL : &now, interrupted, context);
  if (summary != NULL) keep(summary, &now);
  return r;
}
__asm__(".symver korvalen_ljungcv_many_1_3, korvalen_ljungcv_many@KORVALEN_1.3");

KEPT size_t korvalen_warning_1_3(const korvalen_summary* summary, int kind, char* buffer,
                                 size_t size) {
  if (summary == NULL) return korvalen_warning(NULL, kind, buffer, size);
  korvalen_summary_now now = {summary->not_whole, summary->no_value, {0, 0, 0}};
  korvalen_decide_again(&now, kind);
  return korvalen_warning(&now, kind, buffer, size);
}
__asm__(".symver korvalen_warning_1_3, korvalen_warning@KORVALEN_1.3");

#define TAIL_ARRAY_1_4(name)                                                                   \
  KEPT size_t name##_1_4(size_t count, const double* n, size_t n_count, const double* x,       \
                         size_t x_count, double* values, int32_t* statuses, int32_t* rejected, \
                         korvalen_summary* summary) {                                          \
    korvalen_summary_now now;                                                                  \
    const size_t r = name(count, n, n_count, x, x_count, values, statuses, rejected,           \
                          summary == NULL ? NULL : &now);                                      \
    if (summary != NULL) keep(summary, &now);                                                  \
    return r;                                                                                  \
  }                                                                                            \
  __asm__(".symver " #name "_1_4, " #name "@KORVALEN_1.4");

TAIL_ARRAY_1_4(korvalen_level_array)
TAIL_ARRAY_1_4(korvalen_exact_array)
