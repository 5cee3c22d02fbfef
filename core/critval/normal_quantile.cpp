// The exported form of the normal quantile.
#include "critval/as111.hpp"
#include "critval/critval.hpp"

namespace critval {

double normal_quantile(double p, std::int64_t& fault) {
  return as111::quantile(p, fault);
}

}  // namespace critval
