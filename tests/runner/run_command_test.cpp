// The run command from field texts to the finished result file, and what it
// leaves behind when an input, a file or the calculation fails.
#include "runner/run_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/result_file.h"
#include "support/engine_cases.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

class RunCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("meltsim_runcmd_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(RunCommandTest, DefaultRunWritesBothSections) {
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(DefaultFieldTexts(), Path("result.txt"), sink);
  ASSERT_EQ(out.status, RunStatus::Done) << out.message;
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(out.state.NSTEP, 96);
  EXPECT_EQ(out.inputs.SaveFileName, Path("result.txt"));
  EXPECT_EQ(Read(Path("result.txt")),
            InputSectionText(out.inputs) + ResultsSectionText(out.inputs, out.state));
}

TEST_F(RunCommandTest, RejectedInputTouchesNoFile) {
  FieldTexts texts = DefaultFieldTexts();
  texts[FieldIndex("SBAP")] = "1.5";
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(texts, Path("result.txt"), sink);
  EXPECT_EQ(out.status, RunStatus::InputRejected);
  EXPECT_EQ(out.message, "Value of SBAP is not correct");
  EXPECT_EQ(sink.messages, std::vector<std::string>{"Value of SBAP is not correct"});
  EXPECT_TRUE(fs::is_empty(dir_));

  texts = DefaultFieldTexts();
  texts[0] = "15,0";
  sink.messages.clear();
  EXPECT_EQ(RunCommand(texts, Path("result.txt"), sink).status, RunStatus::InputRejected);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"Input value is not correct!"});
  EXPECT_EQ(RunCommand(DefaultFieldTexts(), "", sink).message, "Save File Name is not correct");
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(RunCommandTest, AResultFileThatCannotBeCreatedEndsTheRun) {
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(DefaultFieldTexts(), Path("no/such/dir/r.txt"), sink);
  EXPECT_EQ(out.status, RunStatus::FileError);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_EQ(out.state.marchEnd, MarchEnd::NotRun);  // no calculation
}

TEST_F(RunCommandTest, AFailedWriteIsShownAndEndsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(DefaultFieldTexts(), "/dev/full", sink);
  EXPECT_EQ(out.status, RunStatus::FileError);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], out.message);
  EXPECT_EQ(out.state.marchEnd, MarchEnd::NotRun);
}

TEST_F(RunCommandTest, AFailedCalculationKeepsTheInputSection) {
  FieldTexts texts = DefaultFieldTexts();
  texts[FieldIndex("E")] = "20";
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(texts, Path("r.txt"), sink);
  EXPECT_EQ(out.status, RunStatus::CalculationFailed);
  EXPECT_EQ(out.message, "The flight width leaves no channel: the channel width is not positive");
  EXPECT_EQ(sink.messages, std::vector<std::string>{out.message});
  EXPECT_EQ(Read(Path("r.txt")), InputSectionText(out.inputs));
}

// In the written series the overflow case finishes with its notices, then
// the warning that its powers are not physical (7.2E7 kW).
TEST_F(RunCommandTest, OverflowNoticesGoThroughTheSinkAndTheRunFinishes) {
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(cases::CaseTexts(cases::FindCase("overflow")), Path("r.txt"),
                                    sink, SeriesMode::Written);
  ASSERT_EQ(out.status, RunStatus::Done);
  EXPECT_EQ(static_cast<int>(out.notices.size()), out.state.counts.overflowNotices);
  EXPECT_GT(out.notices.size(), 0u);
  // The impossible powers, the film carried over at every step, X/W above 1.
  ASSERT_EQ(out.warnings.size(), 3u);
  EXPECT_EQ(out.warnings[0].rfind("The results are not physical, at step 1 (FLIGHT 5.10): "
                                  "POWER TOT = 72354",
                                  0),
            0u)
      << out.warnings[0];
  std::vector<std::string> shown = out.notices;
  shown.insert(shown.end(), out.warnings.begin(), out.warnings.end());
  EXPECT_EQ(sink.messages, shown);
  EXPECT_EQ(Read(Path("r.txt")),
            InputSectionText(out.inputs) + ResultsSectionText(out.inputs, out.state));
}

}  // namespace
}  // namespace meltsim
