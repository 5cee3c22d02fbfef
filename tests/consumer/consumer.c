/* A C11 program against the installed library, as a user builds it. The
 * module's header is included too: it must compile as C for host integrators. */
#include <korvalen/korvalen.h>
#include <korvalen/module/exports.h>
#include <stdio.h>

int main(void) {
  const korvalen_result value = korvalen_ljungcv(100, 0.05, NULL);
  const korvalen_result rejected = korvalen_ljungcv(100, 0.2, NULL);
  char why[160];
  const size_t length = korvalen_explain(100, 0.2, NULL, why, sizeof why);
  printf("korvalen %s\n", korvalen_version());
  printf("value %.16g status %d rejected %d\n", value.value, (int)value.status,
         (int)value.rejected);
  printf("status %d rejected %d\n", (int)rejected.status, (int)rejected.rejected);
  printf("why %s (%zu)\n", why, length);
  return 0;
}
