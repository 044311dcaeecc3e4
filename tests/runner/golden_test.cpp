// Complete result files of the input sets, compared byte for byte with the
// checked files in tests/data/golden. Any change to the model's arithmetic
// that moves a printed digit shows up here. The files are those of the
// written series; the default (rescue) series gives the same bytes for every
// case but one: "overflow" prints 7.2354E07 kW, thousands of times what
// heating and melting its throughput needs, so the rescue computes it again
// with the converged series.
//
// To write the files anew (after checking the differences by hand):
//   MELTSIM_UPDATE_GOLDEN=1 build/tests/meltsim_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/engine.h"
#include "runner/run_command.h"
#include "support/engine_cases.h"
#include "support/file_text.h"

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;

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

struct Written {
  RunOutcome outcome;
  std::string file;
};

Written RunCase(const cases::EngineCase& c, SeriesMode mode) {
  const fs::path dir = fs::temp_directory_path() /
                       ("meltsim_golden_" + std::string(c.name) + "_" + SeriesModeName(mode));
  fs::create_directories(dir);
  const fs::path output = dir / "result.txt";
  RecordingMessageSink sink;
  Written w{RunCommand(cases::CaseTexts(c), output.string(), sink, mode), ""};
  w.file = ReadFile(output);
  fs::remove_all(dir);
  return w;
}

class Golden : public ::testing::TestWithParam<cases::EngineCase> {};

// The default series keeps the written file of every run that the written
// series solves: no step keeps the film of the step before (a give-up) and
// the results are physical. The "overflow" case is neither: its film gives
// up from the first step and it prints 7.2354E07 kW; the default series
// computes it with the converged sums from that step.
TEST_P(Golden, DefaultSeriesGivesTheWrittenFileWhereTheWrittenSeriesSolvesTheRun) {
  const cases::EngineCase& c = GetParam();
  const Written written = RunCase(c, SeriesMode::Written);
  const Written rescue = RunCase(c, kDefaultSeriesMode);
  ASSERT_EQ(rescue.outcome.status, RunStatus::Done) << rescue.outcome.message;
  const std::string expected =
      ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / (std::string(c.name) + ".txt"));
  const bool solvedAsWritten = written.outcome.accounting.unsolvedSteps == 0 &&
                               !ImpossibleResult(written.outcome.inputs, written.outcome.state);
  EXPECT_EQ(solvedAsWritten, std::string(c.name) != "overflow") << c.name;
  EXPECT_EQ(rescue.outcome.accounting.unsolvedSteps, 0) << c.name;
  if (solvedAsWritten) {
    EXPECT_TRUE(expected == rescue.file)
        << c.name << ": " << FirstDifference(expected, rescue.file);
    EXPECT_EQ(rescue.outcome.accounting.rescuedAtStep, 0) << c.name;
    return;
  }
  EXPECT_NE(expected.find("7.2354E07"), std::string::npos);  // the written file's power
  EXPECT_NE(expected, rescue.file);
  EXPECT_EQ(rescue.outcome.accounting.rescuedAtStep, 1);
  EXPECT_EQ(StatusOf(rescue.outcome), ResultStatus::Ok);
  // Heating 83.3 g/s from 30 to 290 deg C and melting it takes about 43 kW.
  EXPECT_GT(rescue.outcome.state.PTOTAL, 20.0);
  EXPECT_LT(rescue.outcome.state.PTOTAL, 100.0);
}

TEST_P(Golden, ResultFileIsByteIdentical) {
  const cases::EngineCase& c = GetParam();
  const Written written = RunCase(c, SeriesMode::Written);
  const RunOutcome& out = written.outcome;
  ASSERT_EQ(out.status, RunStatus::Done) << out.message;
  const std::string& actual = written.file;

  const fs::path golden = fs::path(MELTSIM_TEST_DATA) / "golden" / (std::string(c.name) + ".txt");
  if (std::getenv("MELTSIM_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << actual;
    GTEST_SKIP() << "wrote " << golden;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  const std::string expected = ReadFile(golden);
  EXPECT_TRUE(expected == actual) << c.name << ": " << FirstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(InputSets, Golden, ::testing::ValuesIn(cases::FinishingCases()),
                         [](const ::testing::TestParamInfo<cases::EngineCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace meltsim
