// Result files that cannot be written, or not to the end: a full device, a
// name that is a directory or lies in no directory, a file that fills up
// part-way (a file size limit stands in for a disk that fills during the
// results section), a directory without write permission. Each gives a
// clear message and a non-success outcome, nothing is reported as done that
// was not written, and the next run works.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/result_file.h"
#include "runner/run_command.h"
#include "support/file_text.h"

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;

// Lowers the soft limit of the file size for as long as it lives; writes
// past the limit then fail with "File too large" instead of a signal.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  sighandler_t previousHandler_ = SIG_DFL;
  bool ok_ = false;
};

class WriteFailure : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("meltsim_write_failure_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // A sound run after a failed one: the program is still usable.
  void ExpectTheNextRunIsDone() {
    const fs::path good = dir_ / "good.txt";
    RecordingMessageSink sink;
    const RunOutcome out = RunCommand(DefaultFieldTexts(), good.string(), sink);
    ASSERT_EQ(out.status, RunStatus::Done) << out.message;
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(ReadFile(good),
              InputSectionText(out.inputs) + ResultsSectionText(out.inputs, out.state));
    fs::remove(good);
  }

  fs::path dir_;
};

TEST_F(WriteFailure, EveryUnwritableResultFileIsAFileErrorWithItsMessage) {
  struct Target {
    std::string name;
    std::string message;
  };
  std::vector<Target> targets = {
      {dir_.string(), "File can not open!"},  // a name that is a directory
      {(dir_ / "no" / "such" / "r.txt").string(), "File can not open!"},
  };
  if (fs::exists("/dev/full")) {
    targets.push_back(
        {"/dev/full", "Can not write result file /dev/full: No space left on device"});
  }
  for (const Target& t : targets) {
    RecordingMessageSink sink;
    const RunOutcome out = RunCommand(DefaultFieldTexts(), t.name, sink);
    EXPECT_EQ(out.status, RunStatus::FileError) << t.name;
    EXPECT_EQ(out.message, t.message) << t.name;
    // The user is told exactly once, and nothing else is said.
    EXPECT_EQ(sink.messages, std::vector<std::string>{t.message}) << t.name;
    // The input section could not be written, so there was no calculation.
    EXPECT_EQ(out.state.marchEnd, MarchEnd::NotRun) << t.name;
    ExpectTheNextRunIsDone();
  }
}

TEST_F(WriteFailure, AFileThatFillsUpDuringTheResultsIsNotADoneRun) {
  const fs::path path = dir_ / "r.txt";
  const std::string inputSection = InputSectionText(DefaultInputData());
  RunOutcome out;
  RecordingMessageSink sink;
  {
    // Room for the input section and part of the results section.
    const FileSizeLimit limit(inputSection.size() + 500);
    ASSERT_TRUE(limit.ok());
    out = RunCommand(DefaultFieldTexts(), path.string(), sink);
  }
  EXPECT_EQ(out.status, RunStatus::FileError);
  EXPECT_EQ(out.message, "Can not write result file " + path.string() + ": File too large");
  EXPECT_EQ(sink.messages, std::vector<std::string>{out.message});
  // The calculation ran; the file holds the input section and a cut-off
  // piece of the results, and the run says so instead of "done".
  EXPECT_EQ(out.state.marchEnd, MarchEnd::SolidRatio);
  const std::string written = ReadFile(path);
  EXPECT_EQ(written.substr(0, inputSection.size()), inputSection);
  EXPECT_LT(written.size(), inputSection.size() + ResultsSectionText(out.inputs, out.state).size());
  ExpectTheNextRunIsDone();
}

TEST_F(WriteFailure, ADirectoryWithoutWritePermission) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "running as root, where write permissions are not enforced";
  }
  const fs::path locked = dir_ / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(DefaultFieldTexts(), (locked / "r.txt").string(), sink);
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(out.status, RunStatus::FileError);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_FALSE(fs::exists(locked / "r.txt"));
  ExpectTheNextRunIsDone();
}

// --- The command line -------------------------------------------------------

struct CliRun {
  int exitCode = -1;
  std::string err;
};

// Runs meltsim-cli through the shell in `work` (a shell prefix such as a
// file size limit may come first); stdout is dropped, stderr kept.
CliRun RunCli(const fs::path& work, const std::string& prefix, const std::string& args) {
  const fs::path errFile = work.parent_path() / (work.filename().string() + ".err");
  const std::string command = "cd '" + work.string() + "' && " + prefix + " '" + MELTSIM_CLI_PATH +
                              "' " + args + " >/dev/null 2>'" + errFile.string() + "'";
  const int status = std::system(("bash -c \"" + command + "\"").c_str());
  CliRun r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadFile(errFile);
  fs::remove(errFile);
  return r;
}

TEST_F(WriteFailure, CommandLineExitsWithFourAndSaysWhy) {
  const fs::path work = dir_ / "work";
  fs::create_directory(work);
  fs::create_directory(work / "adir");

  CliRun r = RunCli(work, "", "run -o adir --json x.json");
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.err, "File can not open!\n");
  EXPECT_FALSE(fs::exists(work / "x.json"));

  if (fs::exists("/dev/full")) {
    r = RunCli(work, "", "run -o /dev/full --csv x.csv");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.err, "Can not write result file /dev/full: No space left on device\n");
    EXPECT_FALSE(fs::exists(work / "x.csv"));

    // The result file is fine but its JSON copy cannot be written.
    r = RunCli(work, "", "run -o r.txt --json /dev/full");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("/dev/full"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(work / "r.txt"));
    fs::remove(work / "r.txt");

    // A study's table tells the same cause as the run's copies.
    r = RunCli(work, "", "capacity -o /dev/full");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.err.rfind("Can not write result file /dev/full: No space left on device\n", 0), 0u)
        << r.err;
  }
  CliRun table = RunCli(work, "", "capacity -o adir");
  EXPECT_EQ(table.exitCode, 4);
  EXPECT_EQ(table.err.rfind("Can not write the CSV file \"adir\"\n", 0), 0u) << table.err;

  // A file size limit of 2 KiB: the input section fits, the results do not.
  const InputData in = DefaultInputData();
  ASSERT_LT(InputSectionText(in).size(), 2048u);
  r = RunCli(work, "trap '' XFSZ; ulimit -f 2;", "run -o r.txt --json x.json");
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.err, "Can not write result file r.txt: File too large\n");
  EXPECT_EQ(fs::file_size(work / "r.txt"), 2048u);
  EXPECT_FALSE(fs::exists(work / "x.json"));

  // Nothing of this stays with the program: the next run is done.
  r = RunCli(work, "", "run -o r.txt");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace meltsim
