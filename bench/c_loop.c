/* 10^6 calls of korvalen_ljungcv in a loop, n and alpha changing on every
 * call: the yardstick for the bindings' array form. Prints milliseconds, the
 * best of five. */
#define _POSIX_C_SOURCE 199309L
#include <korvalen/korvalen.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { kCount = 1000000 };

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(void) {
  double *n = malloc(kCount * sizeof *n), *alpha = malloc(kCount * sizeof *alpha);
  if (n == NULL || alpha == NULL) return 1;
  srand(42);
  for (int i = 0; i < kCount; ++i) {
    n[i] = floor(exp(log(2.0) + rand() / (double)RAND_MAX * log(5e5)));
    alpha[i] = 0.001 + rand() / (double)RAND_MAX * 0.099;
  }
  double best = 1e300, sum = 0;
  for (int run = 0; run < 5; ++run) {
    const double start = now_ms();
    for (int i = 0; i < kCount; ++i) sum += korvalen_ljungcv(n[i], alpha[i], NULL).value;
    const double took = now_ms() - start;
    if (took < best) best = took;
  }
  printf("%.1f\n", best + 0 * sum);
  free(n);
  free(alpha);
  return 0;
}
