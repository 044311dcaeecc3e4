// Complete result files of the input sets, compared byte for byte with the
// checked files in tests/data/golden. Any change to the model's arithmetic
// that moves a printed digit shows up here.
//
// To write the files anew (after checking the differences by hand):
//   MELTSIM_UPDATE_GOLDEN=1 build/tests/meltsim_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runner/run_command.h"
#include "support/engine_cases.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t line = 1, start = 0;
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    if (expected[i] != actual[i]) {
      const auto lineOf = [start](const std::string& t) {
        return t.substr(start, t.find('\n', start) - start);
      };
      return "line " + std::to_string(line) + "\n  expected: " + lineOf(expected) +
             "\n  actual:   " + lineOf(actual);
    }
    if (expected[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  return "lengths " + std::to_string(expected.size()) + " and " + std::to_string(actual.size());
}

class Golden : public ::testing::TestWithParam<cases::EngineCase> {};

TEST_P(Golden, ResultFileIsByteIdentical) {
  const cases::EngineCase& c = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("meltsim_golden_" + std::string(c.name));
  fs::create_directories(dir);
  const fs::path output = dir / "result.txt";
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(cases::CaseTexts(c), output.string(), sink);
  ASSERT_EQ(out.status, RunStatus::Done) << out.message;
  const std::string actual = Read(output);
  fs::remove_all(dir);

  const fs::path golden = fs::path(MELTSIM_TEST_DATA) / "golden" / (std::string(c.name) + ".txt");
  if (std::getenv("MELTSIM_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << actual;
    GTEST_SKIP() << "wrote " << golden;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  const std::string expected = Read(golden);
  EXPECT_TRUE(expected == actual) << c.name << ": " << FirstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(InputSets, Golden, ::testing::ValuesIn(cases::FinishingCases()),
                         [](const ::testing::TestParamInfo<cases::EngineCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace meltsim
