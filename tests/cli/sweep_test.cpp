// meltsim-cli sweep: the grid of the --vary options, rows in grid order from
// parallel workers, each row the same as a single run of its inputs,
// shards that join to the whole study, result files equal to `run`'s, and
// the command line's refusals.
#include "cli/sweep.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "io/number_text.h"
#include "runner/run_command.h"
#include "runner/sweep_grid.h"
#include "runner/sweep_runner.h"
#include "runner/sweep_table.h"
#include "support/engine_cases.h"
#include "support/failure_print.h"
#include "support/file_text.h"

namespace meltsim::cli {
namespace {

using files::LinesOf;
using files::ReadFile;

namespace fs = std::filesystem;

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

SweepGrid Grid(const std::vector<std::string>& varies) {
  const Expected<SweepGrid> grid = BuildSweepGrid(varies);
  EXPECT_TRUE(grid.has_value()) << grid.error().message;
  return grid ? *grid : SweepGrid{};
}

SweepPlan Plan(const std::vector<std::string>& varies) {
  SweepPlan plan;
  plan.base = DefaultFieldTexts();
  plan.grid = Grid(varies);
  return plan;
}

class CollectingSink : public CaseRowSink {
 public:
  void Write(const CaseRow& row) override { rows.push_back(row); }
  std::vector<CaseRow> rows;
};

std::vector<CaseRow> RunAll(const SweepPlan& plan, unsigned jobs, std::size_t window = 0) {
  CollectingSink sink;
  SweepSettings settings;
  settings.jobs = jobs;
  settings.window = window;
  RunSweep(plan, settings, sink);
  return sink.rows;
}

// A folder of its own for each test, removed afterwards.
class SweepFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // The process id keeps two builds' test runs at the same time apart.
    dir_ = fs::temp_directory_path() /
           ("meltsim_sweep_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // meltsim-cli with `args` in the test's folder; returns the exit code.
  int Cli(const std::string& args) const {
    const std::string command =
        "cd '" + dir_.string() + "' && '" + MELTSIM_CLI_PATH + "' " + args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
};

TEST(SweepGrid, RangesIncludeTheStopWithinRoundingAndMultiplyTheStep) {
  EXPECT_EQ(RangeCount(0, 1, 0.1), 11u);
  EXPECT_EQ(RangeCount(0, 0.3, 0.1), 4u);  // 0.3/0.1 is 2.9999999999999996
  EXPECT_EQ(RangeCount(10, 0, -2.5), 5u);  // downwards
  EXPECT_EQ(RangeCount(1, 1, 5), 1u);
  EXPECT_EQ(RangeCount(0, 0.99, 1), 1u);  // STOP not reached: START alone
  EXPECT_FALSE(RangeCount(0, 1, 0));
  EXPECT_FALSE(RangeCount(1, 0, 0.1));         // points away from STOP
  EXPECT_FALSE(RangeCount(0, 1e300, 1e-300));  // not a countable range

  const Expected<VaryAxis> parsed = ParseVary("rpm=0:1:0.1");
  ASSERT_TRUE(parsed.has_value()) << parsed.error().message;
  const VaryAxis& axis = *parsed;
  EXPECT_EQ(axis.symbol, "RPM");
  EXPECT_EQ(axis.field, FieldIndex("RPM"));
  ASSERT_EQ(axis.Count(), 11u);
  // Value 10 is 10*0.1 = 1 exactly; ten additions of 0.1 would give 0.9999999999999999.
  double added = 0;
  for (int i = 0; i < 10; ++i) added += 0.1;
  EXPECT_NE(added, 1.0);
  EXPECT_EQ(axis.ValueAt(10), 1.0);
  EXPECT_EQ(axis.ValueAt(3), 3 * 0.1);
}

TEST(SweepGrid, ListsAndSeveralAxesRunRowMajorWithTheFirstOutermost) {
  const SweepGrid grid = Grid({"RPM=30:40:5", "output=300,200", "TS0=25"});
  ASSERT_EQ(grid.Size(), 6u);
  const std::vector<std::vector<double>> expected = {{30, 300, 25}, {30, 200, 25}, {35, 300, 25},
                                                     {35, 200, 25}, {40, 300, 25}, {40, 200, 25}};
  for (std::uint64_t i = 0; i < grid.Size(); ++i) EXPECT_EQ(grid.ValuesAt(i), expected[i]) << i;

  const FieldTexts texts = grid.TextsAt(DefaultFieldTexts(), 3);
  EXPECT_EQ(texts[FieldIndex("RPM")], "35");
  EXPECT_EQ(texts[FieldIndex("OUTPUT")], "200");
  EXPECT_EQ(texts[FieldIndex("D")], "15.0");  // not varied: the base text

  // The field text of a value converts back to the same double.
  for (double v : {0.1, 1.0 / 3, 1e-300, 123456789.123, -2.5e17, 5e-324}) {
    const std::string text = VaryValueText(v);
    ASSERT_TRUE(ConvertNumber(text).has_value()) << text;
    EXPECT_TRUE(SameBits(*ConvertNumber(text), v)) << text;
  }
  // The shortest such text: 0.1 is the double nearest to 0.1.
  EXPECT_EQ(VaryValueText(0.1), "0.1");
  EXPECT_EQ(VaryValueText(1.0 / 3), "0.3333333333333333");  // 16 digits read back
}

TEST(SweepGrid, MalformedVaryTextsAreRefusedWithAMessage) {
  const std::string syntax = "--vary expects SYMBOL=START:STOP:STEP or SYMBOL=v1,v2,..., got ";
  const int rpm = FieldIndex("RPM");
  // The refused field is named once the symbol is known.
  const std::vector<std::pair<std::vector<std::string>, Failure>> cases = {
      {{"RPM"}, {FailureKind::Usage, syntax + "\"RPM\""}},
      {{"RPM="}, {FailureKind::Usage, syntax + "\"RPM=\""}},
      {{"=1,2"}, {FailureKind::Usage, syntax + "\"=1,2\""}},
      {{"RPM=1:2"}, {FailureKind::Usage, syntax + "\"RPM=1:2\"", rpm}},
      {{"RPM=1:2:3:4"}, {FailureKind::Usage, syntax + "\"RPM=1:2:3:4\"", rpm}},
      {{"RPM=a,b"}, {FailureKind::Usage, "--vary RPM: \"a\" is not a number", rpm}},
      {{"rpm=1,,2"}, {FailureKind::Usage, "--vary RPM: \"\" is not a number", rpm}},
      {{"RPM=1:2:x"}, {FailureKind::Usage, "--vary RPM: \"x\" is not a number", rpm}},
      {{"RPM=1:2:0"},
       {FailureKind::Usage,
        "--vary RPM: the range 1:2:0 has no values (STEP is zero or points away from STOP) or "
        "too many",
        rpm}},
      {{"RPM=2:1:1"},
       {FailureKind::Usage,
        "--vary RPM: the range 2:1:1 has no values (STEP is zero or points away from STOP) or "
        "too many",
        rpm}},
      {{"RPM=1", "rpm=2"}, {FailureKind::Usage, "--vary: RPM is varied twice", rpm}},
      {{"RPM=0:1e6:1", "OUTPUT=0:1e6:1"},
       {FailureKind::Usage, "--vary: the grid has more than 1000000000 cases"}},
  };
  for (const auto& [varies, failure] : cases) {
    const Expected<SweepGrid> grid = BuildSweepGrid(varies);
    ASSERT_FALSE(grid.has_value()) << varies[0];
    EXPECT_EQ(grid.error(), failure) << varies[0];
  }
  const Expected<SweepGrid> unknown = BuildSweepGrid({"FOO=1,2"});
  ASSERT_FALSE(unknown.has_value());
  EXPECT_EQ(unknown.error().kind, FailureKind::Usage);
  EXPECT_EQ(unknown.error().field, -1);
  EXPECT_TRUE(unknown.error().message.starts_with(
      "--vary: unknown input symbol \"FOO\"; the symbols are D "))
      << unknown.error().message;
}

// What a single run command gives for the same texts, to compare a row with.
struct SingleRun {
  RunOutcome outcome;
  std::vector<std::string> messages;
};

SingleRun RunAlone(const FieldTexts& texts, const fs::path& file,
                   SeriesMode mode = kDefaultSeriesMode) {
  RecordingMessageSink sink;
  SingleRun r{RunCommand(texts, file.string(), sink, mode), {}};
  r.messages = sink.messages;
  return r;
}

void ExpectRowIsTheSingleRun(const CaseRow& row, const SingleRun& single) {
  const RunOutcome& out = single.outcome;
  const SimState& s = out.state;
  SCOPED_TRACE("case " + std::to_string(row.caseNumber));
  switch (out.status) {
    case RunStatus::Done:
      EXPECT_EQ(row.status, out.warnings.empty() ? CaseStatus::Ok : CaseStatus::Warning);
      break;
    case RunStatus::InputRejected:
      EXPECT_EQ(row.status, CaseStatus::InputError);
      break;
    case RunStatus::CalculationFailed:
      EXPECT_EQ(row.status, CaseStatus::CalculationError);
      break;
    case RunStatus::FileError:
      ADD_FAILURE() << out.message;
      break;
  }
  if (out.status != RunStatus::Done) {
    EXPECT_EQ(row.message, out.message);
    EXPECT_FALSE(row.results.has_value());
    return;
  }
  EXPECT_EQ(row.message, "");
  EXPECT_EQ(row.notices, out.notices);
  EXPECT_EQ(row.warnings, out.warnings);
  EXPECT_EQ(row.notes, out.notes);
  std::vector<std::string> shown = out.notices;  // notices first, then notes and warnings
  shown.insert(shown.end(), out.notes.begin(), out.notes.end());
  shown.insert(shown.end(), out.warnings.begin(), out.warnings.end());
  EXPECT_EQ(single.messages, shown);
  ASSERT_TRUE(row.results.has_value());
  const CaseResults& r = *row.results;
  EXPECT_EQ(r.NSTEP, s.NSTEP);
  EXPECT_EQ(r.end, s.marchEnd);
  ASSERT_TRUE(r.FLIGHT.has_value());
  EXPECT_TRUE(SameBits(*r.FLIGHT, s.StepResults[s.NSTEP - 1].RFLIGHT));
  const std::pair<double, double> numbers[] = {
      {r.summary.QSQT, s.QSQT}, {r.summary.PTOTAL, s.PTOTAL}, {r.summary.PTOT, s.PTOT},
      {r.summary.PVIS, s.PVIS}, {r.summary.PPRE, s.PPRE},     {r.summary.PSCREW, s.PSCREW},
      {r.summary.TAVM, s.TAVM}, {r.summary.VSZ, s.VSZ}};
  for (const auto& [got, want] : numbers) EXPECT_TRUE(SameBits(got, want)) << got << " " << want;
}

// 50 cases on two workers, among them rejected inputs and (in the written
// series) calculations that do not converge: every row is there, in grid
// order, and each is bit for bit what a single run of its inputs gives in
// the same series mode. The default series rescues every calculation of
// this grid (RPM 50 among them).
TEST_F(SweepFiles, RowsComeInGridOrderAndEqualSingleRuns) {
  for (const SeriesMode mode : {SeriesMode::Written, kDefaultSeriesMode}) {
    SCOPED_TRACE(SeriesModeName(mode));
    SweepPlan plan = Plan({"RPM=30:50:5", "OUTPUT=0,100,150,200,250,300,350,400,450,500"});
    plan.seriesMode = mode;
    const std::vector<CaseRow> rows = RunAll(plan, 2);
    ASSERT_EQ(rows.size(), 50u);
    int inputErrors = 0, calculationErrors = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].caseNumber, i + 1);
      EXPECT_EQ(rows[i].values, plan.grid.ValuesAt(i));
      EXPECT_EQ(rows[i].seriesMode, mode);
      inputErrors += rows[i].status == CaseStatus::InputError;
      calculationErrors += rows[i].status == CaseStatus::CalculationError;
      ExpectRowIsTheSingleRun(rows[i],
                              RunAlone(plan.grid.TextsAt(plan.base, i), dir_ / "single.txt", mode));
    }
    EXPECT_EQ(inputErrors, 5);  // OUTPUT = 0 at each speed
    if (mode == SeriesMode::Written) {
      EXPECT_GE(calculationErrors, 1);
    } else {
      EXPECT_EQ(calculationErrors, 0);
    }
    EXPECT_EQ(rows[0].message, "Value of Flow Rate is not correct");
  }
}

// Floating-point flags belong to each thread: runs that raise a fault beside
// runs that do not leave the others untouched.
TEST_F(SweepFiles, FaultsOfOneRunDoNotReachTheRunsBesideIt) {
  // C0 < TM: no melt film can form at the first step.
  const SweepPlan plan = Plan({"TS0=29.5:30.4:0.1", "C0=250,290"});
  const std::vector<CaseRow> rows = RunAll(plan, 2, 2);
  ASSERT_EQ(rows.size(), 20u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i % 2 == 0) {
      EXPECT_EQ(rows[i].status, CaseStatus::CalculationError);
      EXPECT_EQ(rows[i].message.rfind("No melt film can form where melting starts", 0), 0u)
          << rows[i].message;
    } else {
      EXPECT_EQ(rows[i].status, CaseStatus::Ok) << rows[i].message;
    }
    ExpectRowIsTheSingleRun(rows[i],
                            RunAlone(plan.grid.TextsAt(plan.base, i), dir_ / "single.txt"));
  }
}

TEST(SweepShards, ShardsTogetherAreTheWholeSweep) {
  SweepPlan plan = Plan({"RPM=30:40:2.5"});
  EXPECT_EQ(ShardSize(plan), 5u);
  plan.shardCount = 3;
  const std::uint64_t expected[] = {2, 2, 1};
  for (std::uint64_t k = 0; k < 3; ++k) {
    plan.shardIndex = k;
    EXPECT_EQ(ShardSize(plan), expected[k]) << k;
  }

  std::uint64_t k = 9, n = 9;
  EXPECT_TRUE(ParseShard("2/3", k, n));
  EXPECT_EQ(k, 2u);
  EXPECT_EQ(n, 3u);
  for (const char* bad : {"3/3", "1/0", "1", "/3", "1/", "-1/3", "a/b", "1/3x", "1 /3"})
    EXPECT_FALSE(ParseShard(bad, k, n)) << bad;

  const auto sweep = [](const std::string& shard) {
    SweepOptions options;
    options.varies = {"RPM=36:40:1", "OUTPUT=290,300,0"};
    options.shard = shard;
    options.jobs = 2;
    std::ostringstream out, err;
    EXPECT_EQ(SweepSubcommand(options, out, err, false), kExitDone) << err.str();
    return LinesOf(out.str());
  };
  const std::vector<std::string> whole = sweep("");
  ASSERT_EQ(whole.size(), 16u);  // header and 15 rows
  std::vector<std::string> joined;
  for (const char* shard : {"0/3", "1/3", "2/3"}) {
    const std::vector<std::string> part = sweep(shard);
    ASSERT_FALSE(part.empty());
    EXPECT_EQ(part[0], whole[0]);  // every shard has the header
    joined.insert(joined.end(), part.begin() + 1, part.end());
  }
  // sort -n on the case column
  std::sort(joined.begin(), joined.end(), [](const std::string& a, const std::string& b) {
    return std::stoull(a) < std::stoull(b);
  });
  EXPECT_EQ(joined, std::vector<std::string>(whole.begin() + 1, whole.end()));
}

// With --results-dir every case writes its result file through the run
// command: byte for byte the file of `meltsim-cli run` with the same inputs,
// also for a failed calculation (its input section); a rejected case none.
TEST_F(SweepFiles, ResultFilesEqualThoseOfRun) {
  EXPECT_EQ(CaseFileName(1, 9), "case_00001.txt");
  EXPECT_EQ(CaseFileName(42, 1234567), "case_0000042.txt");

  ASSERT_EQ(Cli("sweep --vary RPM=30,40 --vary OUTPUT=300,100,0 --jobs 2 -o rows.csv "
                "--results-dir results"),
            0)
      << ReadFile(dir_ / "err.txt");
  const std::vector<std::string> rows = LinesOf(ReadFile(dir_ / "rows.csv"));
  ASSERT_EQ(rows.size(), 7u);
  const char* runs[] = {"--set RPM=30 --set OUTPUT=300", "--set RPM=30 --set OUTPUT=100",
                        "--set RPM=30 --set OUTPUT=0",   "--set RPM=40 --set OUTPUT=300",
                        "--set RPM=40 --set OUTPUT=100", "--set RPM=40 --set OUTPUT=0"};
  for (int i = 0; i < 6; ++i) {
    const std::string name = CaseFileName(i + 1, 6);
    const int code = Cli(std::string("run ") + runs[i] + " -o run.txt");
    SCOPED_TRACE(runs[i]);
    if (code == kExitInputRejected) {
      EXPECT_FALSE(fs::exists(dir_ / "results" / name));
      EXPECT_NE(rows[i + 1].find(",input error,"), std::string::npos) << rows[i + 1];
      continue;
    }
    EXPECT_EQ(ReadFile(dir_ / "results" / name), ReadFile(dir_ / "run.txt"));
    const bool done = rows[i + 1].find(",ok,") != std::string::npos ||
                      rows[i + 1].find(",warning,") != std::string::npos;
    EXPECT_EQ(done, code == kExitDone) << rows[i + 1];
    fs::remove(dir_ / "run.txt");
  }
}

TEST_F(SweepFiles, BadCommandLinesAreUsageErrorsAndWriteNothing) {
  for (const char* args :
       {"sweep --vary RPM=1:2 -o rows.csv", "sweep --vary FOO=1,2 -o rows.csv",
        "sweep --vary RPM=30 --shard 3/3 -o rows.csv", "sweep --vary RPM=30 --jobs 0 -o rows.csv",
        "sweep --vary RPM=30 --set FOO=1 -o rows.csv", "sweep --vary RPM=30 -o - --json -"}) {
    EXPECT_EQ(Cli(args), kExitUsage) << args;
    EXPECT_FALSE(ReadFile(dir_ / "err.txt").empty()) << args;
    EXPECT_FALSE(fs::exists(dir_ / "rows.csv")) << args;
  }
  EXPECT_EQ(Cli("sweep missing.txt --vary RPM=30 -o rows.csv"), kExitInputRejected);
  EXPECT_EQ(Cli("sweep --vary RPM=30 -o no/such/folder/rows.csv"), kExitFileError);
}

TEST(SweepOutput, CsvFieldsAreQuotedAsRfc4180Asks) {
  EXPECT_EQ(CsvField("plain text"), "plain text");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");

  CaseRow row;
  row.caseNumber = 7;
  row.values = {0.1};
  row.status = CaseStatus::CalculationError;
  row.message = "failed, \"badly\"";
  // A failed case: its status and message, twelve empty cells (results and
  // notices), the series, then six empty cells (warnings, notes, counts).
  EXPECT_EQ(CsvLine(row), "7,0.1,calculation error,\"failed, \"\"badly\"\"\"" +
                              std::string(12, ',') + ",rescue" + std::string(6, ',') + "\n");
  const std::vector<std::string> columns = SweepColumnHeads(Grid({"RPM=1"}));
  const std::vector<std::string> expected = {
      "case",   "RPM",           "status",        "message",      "NSTEP",     "end",
      "QSQT",   "FLIGHT",        "PTOTAL",        "PTOT",         "PVIS",      "PPRE",
      "PSCREW", "TAVM",          "VSZ",           "notices",      "series",    "warnings",
      "notes",  "unsolvedSteps", "rescuedAtStep", "wideBedSteps", "recomputed"};
  EXPECT_EQ(columns, expected);
  EXPECT_EQ(CsvHeader(Grid({"RPM=1"})),
            "case,RPM,status,message,NSTEP,end,QSQT,FLIGHT,PTOTAL,"
            "PTOT,PVIS,PPRE,PSCREW,TAVM,VSZ,notices,series,warnings,"
            "notes,unsolvedSteps,rescuedAtStep,wideBedSteps,"
            "recomputed\n");
}

// The overflow notices of a case stay with its row, in the CSV column
// `notices` and the JSON array, and the JSON numbers read back bit for bit.
TEST(SweepOutput, NoticesStayWithTheirRowAndJsonNumbersRoundTrip) {
  SweepPlan plan = Plan({"KS=0.000015,0.00035"});
  const std::vector<CaseRow> rows = RunAll(plan, 2);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].status, CaseStatus::Ok);
  EXPECT_FALSE(rows[0].notices.empty());
  EXPECT_TRUE(rows[1].notices.empty());
  EXPECT_EQ(rows[0].notices.front().rfind("EXPA Overflowed / AA = ", 0), 0u);

  const std::string csv = CsvLine(rows[0]);
  EXPECT_NE(csv.find(rows[0].notices.front() + "; " + rows[0].notices[1]), std::string::npos);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1);

  const nlohmann::json j = nlohmann::json::parse(JsonLine(plan.grid, rows[0]));
  EXPECT_EQ(j["case"], 1);
  EXPECT_EQ(j["status"], "ok");
  EXPECT_EQ(j["notices"].get<std::vector<std::string>>(), rows[0].notices);
  EXPECT_TRUE(SameBits(j["KS"].get<double>(), 0.000015));
  EXPECT_TRUE(SameBits(j["PTOTAL"].get<double>(), rows[0].results->summary.PTOTAL));
  EXPECT_TRUE(SameBits(j["FLIGHT"].get<double>(), *rows[0].results->FLIGHT));
  EXPECT_EQ(j["NSTEP"], rows[0].results->NSTEP);

  CaseRow failed = rows[1];
  failed.status = CaseStatus::InputError;
  failed.message = "Value of SBAP is not correct";
  failed.results.reset();
  const nlohmann::json f = nlohmann::json::parse(JsonLine(plan.grid, failed));
  EXPECT_EQ(f["status"], "input error");
  EXPECT_TRUE(f["PTOTAL"].is_null());
  EXPECT_TRUE(f["FLIGHT"].is_null());
}

// A sink that cannot write stops the workers, and the error comes through.
TEST(SweepEngine, AFailingSinkStopsTheSweep) {
  class FailingSink : public CaseRowSink {
   public:
    void Write(const CaseRow&) override {
      if (++written == 3) throw OutputError("disk full");
    }
    int written = 0;
  };
  const SweepPlan plan = Plan({"RPM=30:39:1"});
  FailingSink sink;
  SweepSettings settings;
  settings.jobs = 2;
  settings.window = 2;
  EXPECT_THROW(RunSweep(plan, settings, sink), OutputError);
  EXPECT_EQ(sink.written, 3);
}

// A window of one row still gives every row in order, and the progress
// callback counts them.
TEST(SweepEngine, ANarrowWindowKeepsTheOrder) {
  const SweepPlan plan = Plan({"OUTPUT=250:340:10"});
  CollectingSink sink;
  SweepSettings settings;
  settings.jobs = 2;
  settings.window = 1;
  std::vector<std::uint64_t> progress;
  settings.progress = [&progress](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, 10u);
    progress.push_back(done);
  };
  RunSweep(plan, settings, sink);
  ASSERT_EQ(sink.rows.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(sink.rows[i].caseNumber, i + 1);
    EXPECT_EQ(progress[i], i + 1);
  }
}

}  // namespace
}  // namespace meltsim::cli
