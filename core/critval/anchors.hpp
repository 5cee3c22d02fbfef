// The anchor sizes of the corrected curve and their logarithms and roots, as
// the run-time log and sqrt give them (a test holds them to that).
#pragma once

#include <cstdint>

namespace critval {

struct Anchor {
  std::int64_t size;
  double log;      // ln m
  double root;     // sqrt(ln m + ln m)
  double log_log;  // ln ln m
};

inline constexpr Anchor kAnchors[3] = {
    {2, 0x1.62e42fefa39efp-1, 0x1.2d6abe44afc43p+0, -0x1.774f29bdd6b9fp-2},
    {100, 0x1.26bb1bbb55516p+2, 0x1.84761ab6c5b9bp+1, 0x1.86f53e73f6635p+0},
    {200, 0x1.5317a1b949c53p+2, 0x1.a0abf138223bbp+1, 0x1.aada064f72ba7p+0},
};

}  // namespace critval
