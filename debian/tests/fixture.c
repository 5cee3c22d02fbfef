/* One row of bindings/fixture.csv from the installed C library:
 * fixture N ALPHA [METHOD] prints value,status,message. */
#include <korvalen/korvalen.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
  if (argc < 3 || argc > 4) return 2;
  const double n = strtod(argv[1], NULL), alpha = strtod(argv[2], NULL);
  const char *method = argc == 4 ? argv[3] : NULL;
  const korvalen_result r = korvalen_ljungcv(n, alpha, method);
  char why[512];
  korvalen_explain(n, alpha, method, why, sizeof why);
  const char *word = r.status == KORVALEN_SUCCESS ? "ok"
                     : r.status == KORVALEN_MISSING_RESULT ? "missing" : "rejected";
  if (r.status == KORVALEN_SUCCESS) printf("%.17g", r.value);
  printf(",%s,%s\n", word, why);
  return 0;
}
