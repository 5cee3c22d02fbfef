// A C++ program against the installed static library; it also checks that the
// package names the installed module.
#include <korvalen/korvalen.h>

#include <cstdio>
#include <filesystem>

int main() {
  const korvalen_result r = korvalen_ljungcv(100, 0.05, nullptr);
  std::printf("value %.16g status %d rejected %d\n", r.value, static_cast<int>(r.status),
              static_cast<int>(r.rejected));
  std::printf("module %s\n", std::filesystem::exists(KORVALEN_MODULE_FILE) ? "found" : "missing");
}
