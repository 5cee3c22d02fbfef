/* A C11 program against the installed library, as a user builds it. */
#include <korvalen/korvalen.h>
#include <korvalen/module/korvalen.h>
#include <stdio.h>

int main(void) {
  const korvalen_result value = korvalen_ljungcv(100, 0.05, NULL);
  const korvalen_result rejected = korvalen_ljungcv(100, 0.2, NULL);
  printf("korvalen %s\n", korvalen_version());
  printf("value %.16g status %d rejected %d\n", value.value, (int)value.status,
         (int)value.rejected);
  printf("status %d rejected %d\n", (int)rejected.status, (int)rejected.rejected);
  /* The module's header compiles as C; a host resolves its names at run time. */
  return sizeof &vi_mcn != sizeof(void*);
}
