// The shared object's exported names, and its numerical routines reached only
// through them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "critval/critval.hpp"
#include "loaded_module.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;

std::set<std::string> dynamic_symbols(const char* which) {
  std::set<std::string> names;
  const std::string command = std::string("nm -D ") + which + " " + KORVALEN_MODULE_PATH;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    // "ADDRESS TYPE NAME" when defined, "TYPE NAME" when undefined.
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.empty()) continue;
    const std::string& name = words.back();
    names.insert(name.substr(0, name.find('@')));
  }
  pclose(pipe);
  return names;
}

// The 27 names the host contract lists, written out here rather than read
// from the header the build generates its linker script from: an export that
// nobody meant, or one that is missing, fails.
TEST(Exports, ExactlyTheContractsNames) {
  const std::set<std::string> contract = {
      "mcn_main",  "himodcn",  "tkvercn1", "korvalen",   "xfmuent",
      "uwfljungcv", "setcvl_", "setcv_",   "ppnd_",      "lassol_",
      "dpeq_",     "dpeq_M",   "wzstjls",  "wzstndx",    "wztxxlt",
      "wzstlen",   "wzstrlo",  "wzstrup",  "wzsxcch",    "wzsxrch",
      "xexit",     "vi_mcn",   "mcn_pcns", "pcn_KORVALEN", "v_global_gcb_anchor",
      "v_global_pidb_anchor", "Exported_TKHandle"};
  ASSERT_EQ(contract.size(), 27u);
  EXPECT_EQ(dynamic_symbols("--defined-only"), contract);
}

TEST(Exports, ImportsNoAllocatorAndNoCxxRuntime) {
  const std::set<std::string> imports = dynamic_symbols("--undefined-only");
  EXPECT_TRUE(imports.count("log"));  // the listing works
  for (const std::string& name : imports) {
    for (const char* banned :
         {"malloc", "calloc", "realloc", "free", "aligned_alloc", "posix_memalign", "memalign"}) {
      EXPECT_NE(name, banned);
    }
    EXPECT_FALSE(name.starts_with("_Z")) << name;  // operator new, any C++ library routine
    EXPECT_FALSE(name.starts_with("__cxa_") && name != "__cxa_finalize") << name;
    EXPECT_FALSE(name.starts_with("__gxx_") || name.starts_with("_Unwind")) << name;
  }
}

class Numerics : public testing_support::LoadedModule {
 protected:
  using Critical = double (*)(std::int64_t*, double*);
  host::Entry<Critical> setcvl_ = module_.function<Critical>("setcvl_");
  host::Entry<Critical> setcv_ = module_.function<Critical>("setcv_");
};

TEST_F(Numerics, ExportedRoutinesMatchTheCoreOverAGrid) {
  for (std::int64_t n : {-5, 0, 1, 2, 3, 7, 10, 99, 100, 101, 200, 1000, 1000000}) {
    for (double alpha : {0.0, 1e-17, 1e-6, 0.001, 0.01, 0.05, 0.0999, 0.1}) {
      std::int64_t n_in = n;
      double alpha_in = alpha;
      // Where a formula has none, the host's missing value.
      const double missing = testing_support::kMissing;
      EXPECT_EQ(bits(setcvl_(&n_in, &alpha_in)),
                bits(critval::asymptotic(n, alpha).value_or(missing)));
      EXPECT_EQ(bits(setcv_(&n_in, &alpha_in)),
                bits(critval::corrected(n, alpha).value_or(missing)));
      EXPECT_EQ(n_in, n);
      EXPECT_EQ(bits(alpha_in), bits(alpha));
    }
  }
}

TEST_F(Numerics, QuantileSolverAndTolerance) {
  auto ppnd = module_.function<double (*)(double*, std::int64_t*)>("ppnd_");
  double p = 0.975;
  std::int64_t fault = 5;
  EXPECT_NEAR(ppnd(&p, &fault), 1.9599639823, 5e-11);
  EXPECT_EQ(fault, 0);
  p = 1.0;
  EXPECT_EQ(ppnd(&p, &fault), 0.0);
  EXPECT_EQ(fault, 1);

  auto lassol = module_.function<void (*)(std::int64_t*, double*, double*, std::int64_t*, double*,
                                          std::int64_t*)>("lassol_");
  std::int64_t n = 3, lda = 3, ifault = 0;
  double a[9] = {1, 1, 1, 1, 2, 3, 1, 4, 9};
  double b[3] = {1, 4, 9};
  double x[3] = {};
  lassol(&n, a, b, &lda, x, &ifault);
  EXPECT_EQ(ifault, 1);
  EXPECT_EQ(x[0], 0.0);
  EXPECT_EQ(x[1], 0.0);
  EXPECT_EQ(x[2], 1.0);

  auto dpeq = module_.function<std::int64_t (*)(double*, double*)>("dpeq_");
  auto dpeq_m = module_.function<std::int64_t (*)(double*, double*)>("dpeq_M");
  double nan1 = testing_support::kNaN, nan2 = testing_support::kMissing, zero = 0.0, tiny = 1e-20;
  EXPECT_EQ(dpeq(&zero, &tiny), 1);
  EXPECT_EQ(dpeq(&nan1, &nan2), 0);
  EXPECT_EQ(dpeq_m(&nan1, &nan2), 1);
  EXPECT_EQ(dpeq_m(&nan2, &zero), 0);
}

}  // namespace
