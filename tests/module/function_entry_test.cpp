// LJUNGCV end to end: korvalen.so loaded, entered and registered by the
// stand-in host, called through the implementation address it handed back.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "critval/critval.hpp"
#include "critval/level.hpp"
#include "loaded_module.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;
using testing_support::printed;

constexpr std::int32_t kOk = 0, kMissingResult = 120833, kInvalid = 120836;
constexpr double kMissing = testing_support::kMissing;

using FunctionEntry = testing_support::LoadedModule;

struct Call {
  double n, alpha;
  std::optional<std::string> method;
  double value;  // kMissing: the exact missing pattern
  std::int32_t status;
  int flagged;
};

void expect_call(const host::Module& module, const Call& c) {
  const std::string what = "LJUNGCV(" + std::to_string(c.n) + ", " + std::to_string(c.alpha) +
                           (c.method ? ", '" + *c.method + "')" : ")");
  const host::Evaluation e =
      c.method ? module.evaluate(c.n, c.alpha, *c.method) : module.evaluate(c.n, c.alpha);
  EXPECT_EQ(e.status, c.status) << what;
  EXPECT_EQ(e.flagged, c.flagged) << what;
  EXPECT_LE(e.flags_set, 1) << what;
  if (bits(c.value) == testing_support::kMissingBits) {
    EXPECT_EQ(bits(e.value), testing_support::kMissingBits) << what;
  } else if (std::isinf(c.value)) {
    EXPECT_EQ(e.value, c.value) << what;
  } else {
    EXPECT_NEAR(e.value, c.value, printed(8, c.value)) << what;
  }
}

TEST_F(FunctionEntry, ValuesAndStatuses) {
  const Call calls[] = {
      {100, 0.05, {}, 3.81008757, kOk, 0},
      {100, 0.05, "L", 3.81008757, kOk, 0},
      {10, 0.05, {}, 3.08711034, kOk, 0},
      {10, 0.05, "LJUNG", 3.40381153, kOk, 0},
      {10.9, 0.05, {}, 3.08711034, kOk, 0},
      {2, 0.05, {}, 2.23647665, kOk, 0},
      {1.5, 0.05, {}, 1.95996398, kOk, 0},
      {1.5, 0.05, "L", kMissing, kMissingResult, 0},
      {0.5, 0.05, {}, kMissing, kMissingResult, 0},
      {-0.7, 0.05, {}, kMissing, kMissingResult, 0},
      {-3, 0.05, {}, kMissing, kMissingResult, 0},
      {-3, 0.05, "L", kMissing, kMissingResult, 0},
      {1e300, 0.05, {}, kMissing, kMissingResult, 0},  // does not fit 64 bits
      {kInf, 0.05, "L", kMissing, kMissingResult, 0},
      {-kInf, 0.05, {}, kMissing, kMissingResult, 0},
      {9.2e18, 0.05, "L", 9.47653917, kOk, 0},  // fits
      {100, 0.1, {}, 3.58149439, kOk, 0},
      {100, 0.0, "L", kInf, kOk, 0},
      {100, 0.0, {}, kMissing, kMissingResult, 0},
      {100, -0.0, "C", kMissing, kMissingResult, 0},
      {100, 0.1000001, {}, kMissing, kInvalid, 2},
      {100, -0.000001, {}, kMissing, kInvalid, 2},
      {100, kNaN, {}, kMissing, kInvalid, 2},
      {100, kMissing, "L", kMissing, kInvalid, 2},
      {kNaN, 5.0, "nonsense", kMissing, kInvalid, 1},
      {kMissing, 0.05, {}, kMissing, kInvalid, 1},
      {100, 5.0, "nonsense", kMissing, kInvalid, 2},
  };
  for (const Call& c : calls) expect_call(module_, c);
}

TEST_F(FunctionEntry, Keywords) {
  struct Row {
    std::string method;
    bool asymptotic;  // else corrected
    bool accepted;
  };
  const Row rows[] = {
      {"L", true, true},
      {"LJUNG", true, true},
      {" ljung ", true, true},
      {"l", true, true},
      {"L C", true, true},
      {"L C CORR", true, true},
      {"  l c  ", true, true},
      {"C", false, true},
      {"CORR", false, true},
      {"CORRECT", false, true},
      {"CORRECTED", false, true},
      {"corrected", false, true},
      {"C CORR", false, true},
      {"  Corr   ", false, true},
      {"", false, false},
      {"    ", false, false},
      {"LJ", false, false},
      {"CORRE", false, false},
      {"X", false, false},
      {"CORRECTEDX", false, false},
      {"C  CORR", false, false},
      {"CORR CORRECT", false, false},
      {"LJUNG CORRECTED", false, false},
      {"\tL", false, false},
      {std::string("L\0", 2), false, false},
      {"LJUNGCV", false, false},
      {"L,", false, false},
  };
  for (const Row& row : rows) {
    const host::Evaluation e = module_.evaluate(10, 0.05, row.method);
    if (!row.accepted) {
      EXPECT_EQ(e.status, kInvalid) << "'" << row.method << "'";
      EXPECT_EQ(e.flagged, 3) << "'" << row.method << "'";
      EXPECT_EQ(bits(e.value), testing_support::kMissingBits) << "'" << row.method << "'";
      continue;
    }
    EXPECT_EQ(e.status, kOk) << "'" << row.method << "'";
    EXPECT_EQ(e.flagged, 0);
    const double expected =
        row.asymptotic ? *critval::asymptotic(10, 0.05) : *critval::corrected(10, 0.05);
    EXPECT_EQ(bits(e.value), bits(expected)) << "'" << row.method << "'";
  }
}

TEST_F(FunctionEntry, KeywordThroughTheServiceRoute) {
  host_.set_service_route(true);
  const host::Evaluation e = module_.evaluate(10, 0.05, " ljung ");
  EXPECT_EQ(e.status, kOk);
  EXPECT_EQ(bits(e.value), bits(*critval::asymptotic(10, 0.05)));
  const auto calls = recorder_.service_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].identity, testing_support::identity(0, 331));
  EXPECT_EQ(calls[0].output, "LJUNG");  // only the keyword, not its framing blanks
}

TEST_F(FunctionEntry, AgreesWithTheCoreOverAGrid) {
  for (double n : {-2.0, 0.0, 1.0, 2.0, 3.5, 10.0, 57.0, 100.0, 150.0, 1e4, 1e9, 1e15}) {
    for (double alpha : {0.0, 1e-300, 1e-12, 0.001, 0.025, 0.05, 0.075, 0.1}) {
      for (const char* method : {"C", "L"}) {
        const critval::Outcome core =
            critval::Level(alpha, method[0] == 'L' ? critval::Method::kAsymptotic
                                                   : critval::Method::kCorrected)
                .outcome(static_cast<std::int64_t>(n));
        const host::Evaluation e = module_.evaluate(n, alpha, std::string(method));
        if (core.reason != critval::Reason::kValue) {
          EXPECT_EQ(e.status, kMissingResult);
          EXPECT_EQ(bits(e.value), testing_support::kMissingBits);
        } else {
          EXPECT_EQ(e.status, kOk);
          EXPECT_EQ(bits(e.value), bits(core.value)) << n << " " << alpha << " " << method;
        }
      }
    }
  }
}

// Calls with records built by hand: what the module may touch, and malformed
// input a host should never send.
class RawRecord : public FunctionEntry {
 protected:
  module::ArgumentRecord record_;
  module::CharacterValue text_;
  double n_ = 10, alpha_ = 0.05, result_ = 42.0;
  std::string characters_ = "L";

  void SetUp() override {
    std::memset(&record_, host::kHostByte, sizeof record_);
    std::memset(&text_, host::kHostByte, sizeof text_);
    record_.count = 3;
    record_.arguments[0].value = &n_;
    record_.arguments[1].value = &alpha_;
    record_.arguments[2].value = &text_;
    for (auto& a : record_.arguments) a.flags = 0xF0;
  }
  std::int32_t call() {
    text_.characters = characters_.data();
    return module_.implementation()(&record_, &result_);
  }
};

TEST_F(RawRecord, OnlyTheFlagBitAndTheResultChange) {
  module::ArgumentRecord before;
  alpha_ = 0.5;
  text_.length = 1;
  text_.characters = characters_.data();
  std::memcpy(&before, &record_, sizeof before);
  const module::CharacterValue text_before = text_;
  EXPECT_EQ(call(), kInvalid);
  EXPECT_EQ(bits(result_), testing_support::kMissingBits);
  EXPECT_EQ(record_.arguments[1].flags, 0xF1);
  before.arguments[1].flags = 0xF1;
  EXPECT_EQ(std::memcmp(&before, &record_, sizeof before), 0);
  EXPECT_EQ(std::memcmp(&text_before, &text_, sizeof text_), 0);
  EXPECT_EQ(characters_, "L");
}

TEST_F(RawRecord, HostCharactersAreNeverModified) {
  struct Row {
    const char* keyword;
    std::int32_t status;
  };
  for (const Row& row : {Row{"  ljung ", kOk}, Row{"corr", kOk}, Row{"x", kInvalid}}) {
    characters_ = row.keyword;
    text_.length = static_cast<std::int32_t>(characters_.size());
    record_.arguments[2].flags = 0xF0;
    EXPECT_EQ(call(), row.status) << row.keyword;
    EXPECT_EQ(characters_, row.keyword);
  }
}

TEST_F(RawRecord, NegativeMethodLengthIsRejectedLikeABlankMethod) {
  text_.length = -1;
  EXPECT_EQ(call(), kInvalid);
  EXPECT_EQ(record_.arguments[2].flags, 0xF1);
  EXPECT_EQ(bits(result_), testing_support::kMissingBits);
  text_.length = INT32_MIN;
  record_.arguments[2].flags = 0;
  EXPECT_EQ(call(), kInvalid);
  EXPECT_EQ(record_.arguments[2].flags, 1);
}

TEST_F(RawRecord, CountOfTwoOrLessNeverReadsTheThirdEntry) {
  for (std::int64_t count :
       {std::int64_t{2}, std::int64_t{1}, std::int64_t{0}, std::int64_t{-1}, INT64_MIN}) {
    record_.count = count;
    record_.arguments[2].value = nullptr;  // a read would fault
    EXPECT_EQ(call(), kOk) << count;
    EXPECT_EQ(bits(result_), bits(*critval::corrected(10, 0.05)));
    EXPECT_EQ(record_.arguments[2].flags, 0xF0);
  }
}

TEST_F(RawRecord, LongMethodIsRejectedBeforeAnyCopy) {
  characters_ = std::string(100000, 'L');
  text_.length = static_cast<std::int32_t>(characters_.size());
  EXPECT_EQ(call(), kInvalid);
  EXPECT_EQ(record_.arguments[2].flags, 0xF1);
}

}  // namespace
