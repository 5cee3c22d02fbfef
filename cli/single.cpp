// One value: on standard output, or why there is none on standard error.
#include <iostream>

#include "cli/jobs.hpp"
#include "cli/numbers.hpp"

namespace cli {

int run_single(Context& c, const Request& r) {
  const host::Evaluation e = c.module.evaluate(r.n, r.alpha, r.method);
  if (e.is(module::Status::kSuccess)) {
    c.out.put_row(format_value(e.value, c.digits) + '\n');
  } else {
    std::cerr << "ljungcv: " << c.explainer.sentence(r, e) << '\n';
  }
  return exit_for(e);
}

}  // namespace cli
