// meltsim-cli solve, capacity, sensitivity and sweep --plot as a user calls
// them: the answer line and the result file of the answer (the same bytes
// as `run` writes for that value), the tables as CSV and JSON Lines, the
// exit codes and messages of what they refuse, and the pictures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
// GCC 12 warns falsely inside libstdc++'s <regex> (std::function in the
// compiled automaton) when built with the sanitizers; clang has no such
// warning and would warn of the unknown name.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_text.h"

namespace meltsim {
namespace {

using files::LinesOf;
using files::ReadFile;

namespace fs = std::filesystem;

struct CliResult {
  int exitCode = -1;
  std::string out, err;
};

class StudyCli : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() /
            ("meltsim_study_cli_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(base_);
    work_ = base_ / "work";
    fs::create_directories(work_);
  }
  void TearDown() override { fs::remove_all(base_); }

  // Runs meltsim-cli ARGS (a shell word list) in the work folder.
  CliResult Cli(const std::string& args) const {
    const std::string command = "cd '" + work_.string() + "' && '" + MELTSIM_CLI_PATH + "' " +
                                args + " >'" + (base_ / "out").string() + "' 2>'" +
                                (base_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(base_ / "out");
    r.err = ReadFile(base_ / "err");
    return r;
  }
  std::string LastLine(const std::string& text) const {
    const std::vector<std::string> lines = LinesOf(text);
    return lines.empty() ? "" : lines.back();
  }

  fs::path base_, work_;
};

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  return cells;
}

TEST_F(StudyCli, SolveAnswersOnOneLineAndWritesTheResultFileOfTheAnswer) {
  const CliResult r =
      Cli("solve --find OUTPUT --target MELTEND=20 -o answer.txt --json answer.json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::regex_match(
      r.out, std::regex(R"(OUTPUT = 362\.\d\d kg/hr gives MELTEND = 19\.90 turns\n)")))
      << r.out;
  EXPECT_NE(r.err.find("MELTEND crosses 20.00 turns between OUTPUT = 362."), std::string::npos)
      << r.err;
  // The answer's exact value (the JSON's numbers read back exactly), run
  // again by `run`: the same result file.
  const nlohmann::json answer = nlohmann::json::parse(ReadFile(work_ / "answer.json"));
  const double output = answer["inputs"]["OUTPUT"].get<double>();
  std::ostringstream text;
  text.precision(17);
  text << output;
  ASSERT_EQ(Cli("run --set OUTPUT=" + text.str() + " -o again.txt").exitCode, 0);
  EXPECT_EQ(ReadFile(work_ / "answer.txt"), ReadFile(work_ / "again.txt"));
}

TEST_F(StudyCli, SolveWithoutAnAnswerExitsFiveNamingTheRangeAndWritesNoResultFile) {
  const CliResult r =
      Cli("solve --find OUTPUT --target MELTEND=30 --within 100:300 -o none.txt --runs runs.csv");
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_EQ(LastLine(r.err),
            "No OUTPUT from 100.0 to 300.0 kg/hr gives MELTEND = 30.00 turns: it is 10.45 turns at "
            "OUTPUT = 100.0 and 18.10 turns at OUTPUT = 300.0");
  EXPECT_FALSE(fs::exists(work_ / "none.txt"));
  // The runs of the search are written all the same: the range's ends and middle.
  const std::vector<std::string> runs = LinesOf(ReadFile(work_ / "runs.csv"));
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0], "run,OUTPUT,MELTEND,status");
}

TEST_F(StudyCli, SolveRefusesAWrongCommandLineBeforeAnythingRuns) {
  const std::vector<std::pair<std::string, std::string>> wrong = {
      {"--find OUTPUT --target MELTEND", "--target expects QUANTITY=VALUE, got \"MELTEND\""},
      {"--find OUTPUT --target SPEED=3",
       "--target: unknown quantity \"SPEED\"; the quantities are MELTEND TAVM PTOTAL PTOT PVIS "
       "QSQT TSAVSTEP"},
      {"--find OUTPUT --target MELTEND=x", "--target: \"x\" is not a number"},
      {"--find NOSUCH --target MELTEND=20", "--find: unknown input symbol \"NOSUCH\""},
      {"--find OUTPUT --target MELTEND=20 --within 600:100",
       "--within expects LO:HI with LO < HI, got \"600:100\""},
      {"--find OUTPUT --target MELTEND=20 --plot a.pdf",
       "--plot: the file name must end in .png or .svg, got \"a.pdf\""},
  };
  for (const auto& [args, message] : wrong) {
    const CliResult r = Cli("solve " + args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_EQ(LastLine(r.err), message) << args;
  }
  EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(StudyCli, ARefusedInputIsExitOneWithTheMessageOfGo) {
  for (const char* command :
       {"solve --find OUTPUT --target MELTEND=20", "capacity", "sensitivity"}) {
    const CliResult r = Cli(std::string(command) + " --set D=-1");
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_EQ(LastLine(r.err), "Value of Screw Diameter is not correct") << command;
  }
}

TEST_F(StudyCli, CapacityWritesOneRowPerPointAsCsvAndJsonLines) {
  const CliResult r = Cli("capacity --vary RPM=30,45 -o capacity.csv --json capacity.jsonl");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_TRUE(std::regex_search(r.err, std::regex(R"(capacity: 2 points, 2 found, \d+ runs in )")))
      << r.err;
  const std::vector<std::string> csv = LinesOf(ReadFile(work_ / "capacity.csv"));
  ASSERT_EQ(csv.size(), 3u);
  EXPECT_EQ(csv[0], "RPM,OUTPUT,FLIGHT,status,message");
  const std::vector<std::string> json = LinesOf(ReadFile(work_ / "capacity.jsonl"));
  ASSERT_EQ(json.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const std::vector<std::string> cells = Cells(csv[i + 1]);
    const nlohmann::json row = nlohmann::json::parse(json[i]);
    EXPECT_EQ(row["RPM"].get<double>(), std::stod(cells[0]));
    EXPECT_EQ(row["OUTPUT"].get<double>(), std::stod(cells[1]));  // both read back exactly
    EXPECT_EQ(row["status"].get<std::string>(), cells[3]);
  }
  // A faster screw melts more.
  EXPECT_GT(std::stod(Cells(csv[2])[1]), std::stod(Cells(csv[1])[1]));
}

TEST_F(StudyCli, CapacityRefusesVaryingOutputAndAPlotOfNoInput) {
  CliResult r = Cli("capacity --vary OUTPUT=100,200");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(LastLine(r.err), "--vary OUTPUT: the capacity study finds OUTPUT");
  r = Cli("capacity --plot c.png");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(LastLine(r.err), "--plot draws the capacity against a varied input: give a --vary");
  r = Cli("capacity --by soon");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(LastLine(r.err), "--by expects a FLIGHT in turns, got \"soon\"");
}

TEST_F(StudyCli, SensitivityHasARowPerEditableInputAndWithAllFieldsPerInput) {
  CliResult r = Cli("sensitivity --step 5");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines = LinesOf(r.out);
  ASSERT_EQ(lines.size(), 1u + 18u);
  EXPECT_EQ(lines[0],
            "symbol,value,step,MELTEND_minus,MELTEND_plus,MELTEND_elasticity,TAVM_minus,TAVM_plus,"
            "TAVM_elasticity,PTOTAL_minus,PTOTAL_plus,PTOTAL_elasticity,QSQT_minus,QSQT_plus,"
            "QSQT_elasticity,status,message");
  EXPECT_NE(r.err.find("base run (ok): MELTEND = 18.10, TAVM = 285.06, PTOTAL = 41.75, QSQT = "
                       "0.0232"),
            std::string::npos)
      << r.err;
  r = Cli("sensitivity --all-fields --json -");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  lines = LinesOf(r.out);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(Cli("sensitivity --step 0").exitCode, 2);
}

#ifdef MELTSIM_HAVE_PLOT_MODULE

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

TEST_F(StudyCli, SweepOfTwoInputsDrawsTheOperatingMap) {
  const CliResult r =
      Cli("sweep --vary RPM=30,50 --vary OUTPUT=200,400,600 -o map.csv --plot map.png");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string png = ReadFile(work_ / "map.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(BigEndian32(png, 16), 900u);  // width
  EXPECT_EQ(BigEndian32(png, 20), 600u);  // height
  EXPECT_EQ(LinesOf(ReadFile(work_ / "map.csv")).size(), 7u);
}

TEST_F(StudyCli, TheStudiesDrawTheirPlotsAsSvg) {
  ASSERT_EQ(Cli("sweep --vary RPM=30,40 --plot line.svg").exitCode, 0);
  EXPECT_NE(ReadFile(work_ / "line.svg").find("MELTEND against RPM"), std::string::npos);
  ASSERT_EQ(Cli("capacity --vary RPM=30,40 --plot capacity.svg").exitCode, 0);
  EXPECT_NE(ReadFile(work_ / "capacity.svg").find("Melting capacity"), std::string::npos);
  ASSERT_EQ(Cli("sensitivity --plot tornado.svg").exitCode, 0);
  EXPECT_NE(ReadFile(work_ / "tornado.svg").find("Sensitivity of MELTEND"), std::string::npos);
}

#endif

TEST_F(StudyCli, SweepPlotsOneOrTwoInputsOnly) {
  const CliResult r = Cli("sweep --vary RPM=30 --vary OUTPUT=300 --vary C0=290 --plot m.png");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(LastLine(r.err),
            "--plot draws a sweep of one or two --vary inputs (the map of two), not 3");
  EXPECT_TRUE(fs::is_empty(work_));
}

}  // namespace
}  // namespace meltsim
