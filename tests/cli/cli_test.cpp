// meltsim-cli run as a user calls it: exit codes, the exact messages on
// stderr, the files it writes and the ones it must not write.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "io/result_file.h"
#include "runner/sweep_table.h"
#include "support/engine_cases.h"
#include "support/file_text.h"

namespace meltsim {
namespace {

using files::LinesOf;
using files::ReadFile;

namespace fs = std::filesystem;

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct CliResult {
  int exitCode = -1;
  std::string out, err;
};

// Runs meltsim-cli in an empty working folder `work_`; its output and error
// streams are kept beside that folder, so the folder shows what it wrote.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() /
            ("meltsim_cli_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(base_);
    work_ = base_ / "work";
    fs::create_directories(work_);
  }
  void TearDown() override { fs::remove_all(base_); }

  CliResult Cli(const std::vector<std::string>& args) const {
    std::string command = "cd " + Quote(work_.string()) + " && " + Quote(MELTSIM_CLI_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote((base_ / "out").string()) + " 2>" + Quote((base_ / "err").string());
    const int status = std::system(command.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(base_ / "out");
    r.err = ReadFile(base_ / "err");
    return r;
  }

  // A data file with the default values: the input section without its
  // blank line and separator line.
  static std::string DefaultDataFile() {
    std::vector<std::string> lines;
    const std::string section = InputSectionText(DefaultInputData());
    std::string out;
    std::size_t start = 0;
    for (int k = 1; k <= 33; ++k) {
      const std::size_t end = section.find("\r\n", start);
      if (k != 29 && k != 30) out += section.substr(start, end - start) + "\r\n";
      start = end + 2;
    }
    return out;
  }

  static std::string ReplaceLine(const std::string& file, int lineNumber,
                                 const std::string& value) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::string out;
    for (int k = 1; start < file.size(); ++k) {
      const std::size_t end = file.find("\r\n", start);
      std::string line = file.substr(start, end - start);
      if (k == lineNumber) line = line.substr(0, line.find('=') + 1) + "  " + value;
      out += line + "\r\n";
      start = end + 2;
    }
    return out;
  }

  fs::path base_, work_;
};

TEST_F(CliTest, EveryInputCheckMessageExactlyAndNothingWritten) {
  struct Check {
    const char* set;
    const char* message;
  };
  const Check checks[] = {
      {"D=0", "Value of Screw Diameter is not correct"},
      {"NFEED=0", "Value of Turns of Feed Zone is not correct"},
      {"NCOMP=0", "Value of Turns of Compression Zone is not correct"},
      {"NMETER=-1", "Value of Turns of Metering Zone is not correct"},
      {"NDELAY=0", "Value of Turns of Delay in Metering is not correct"},
      {"H1=0", "Value of Depth of Feed Zone Channel is not correct"},
      {"H3=0", "Value of Depth of Metering Zone Channel is not correct"},
      {"PITCH=0", "Value of Screw Pitch is not correct"},
      {"E=0", "Value of Flight Width is not correct"},
      {"RPM=0", "Value of Number of Revolution is not correct"},
      {"OUTPUT=0", "Value of Flow Rate is not correct"},
      {"C0=-5", "Value of Barrel Temp. Para. (C0) is not correct"},
      {"RHOS=0", "Value of Density of Solid is not correct"},
      {"RHOM=0", "Value of Density of Melt is not correct"},
      {"CPS=0", "Value of Specific Heat of Solid is not correct"},
      {"HFUS=-1", "Value of Heat of Fusion is not correct"},
      {"CPM=0", "Value of Specific Heat of Melt is not correct"},
      {"KM=0", "Value of Thermal Conductivity of Melt is not correct"},
      {"TM=0", "Value of Melting Point is not correct"},
      {"TS0=0", "Value of Solid Temperature is not correct"},
      {"SBAP=1.5", "Value of SBAP is not correct"},
      {"TSCREW=0", "Value of Screw Temperature is not correct"},
      {"KS=0", "Value of Thermal Conductivity of Solid is not correct"},
      {"D=15,0", "Input value is not correct!"},
      {"KS=", "Input value is not correct!"},
  };
  for (const Check& c : checks) {
    const CliResult r = Cli({"run", "--set", c.set});
    EXPECT_EQ(r.exitCode, 1) << c.set;
    // The message exactly, then the field it is about (the symbol set).
    const std::vector<std::string> lines = LinesOf(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[0], c.message) << c.set;
    const std::string symbol = std::string(c.set).substr(0, std::string(c.set).find('='));
    EXPECT_EQ(lines[1].rfind("Refused input: " + symbol + ", ", 0), 0u) << lines[1];
    EXPECT_TRUE(fs::is_empty(work_)) << c.set;
  }
  EXPECT_EQ(LinesOf(Cli({"run", "--set", "D=15,0"}).err)[1],
            "Refused input: D, Screw Diameter (cm)");
  EXPECT_EQ(LinesOf(Cli({"run", "--set", "NDELAY=0"}).err)[1],
            "Refused input: NDELAY, Turns of Delay in Melting");
  const CliResult r = Cli({"run", "-o", ""});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Save File Name is not correct\n");
  EXPECT_TRUE(fs::is_empty(work_));
  // A conversion failure wins over a failed check in an earlier field.
  EXPECT_EQ(Cli({"run", "--set", "D=0", "--set", "KS=x"}).err,
            "Input value is not correct!\nRefused input: KS, Thermal Cond of Solid "
            "(cal/cm.s.\u2103)\n");
}

TEST_F(CliTest, DefaultRunWithJsonAndCsv) {
  const CliResult r = Cli({"run", "--json", "run.json", "--csv", "run.csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(work_ / "result.txt"),
            ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / "default.txt"));

  const nlohmann::json doc = nlohmann::json::parse(ReadFile(work_ / "run.json"));
  ASSERT_EQ(doc["NSTEP"], 96);
  ASSERT_EQ(doc["rows"].size(), 96u);
  EXPECT_EQ(doc["marchEnd"], "solid ratio below 3 %");
  EXPECT_NEAR(doc["rows"][0]["FLIGHT"].get<double>(), 5.1, 1e-12);
  EXPECT_NEAR(doc["rows"][95]["FLIGHT"].get<double>(), 18.1, 1e-12);
  for (const char* key :
       {"FLIGHT", "DEPTH", "XW", "QSQT", "TB", "T121", "TAV", "FILM", "PSAIINV", "PTOT", "PVIS"}) {
    EXPECT_TRUE(doc["rows"][0].contains(key)) << key;
  }
  EXPECT_NEAR(doc["summary"]["PTOTAL"].get<double>(), 42, 0.5);
  EXPECT_EQ(doc["summary"]["PTOTAL"].get<double>(),
            doc["summary"]["PTOT"].get<double>() + doc["summary"]["PPRE"].get<double>());
  EXPECT_EQ(doc["summary"]["SBAP"], 1.0);
  EXPECT_TRUE(doc["notices"].empty());
  EXPECT_EQ(doc["inputs"]["KS"], 0.00035);
  EXPECT_EQ(doc["inputs"]["SaveFileName"], "result.txt");

  const std::vector<std::string> csv = LinesOf(ReadFile(work_ / "run.csv"));
  ASSERT_EQ(csv.size(), 97u);
  EXPECT_EQ(csv[0], "FLIGHT,DEPTH,X/W,QS/QT,TB,T121,TAV,FILM,1/PSAI,POWER TOT,POWER VIS");
  EXPECT_EQ(ReadFile(work_ / "run.csv").find('\r'), std::string::npos);
  // Both copies carry every digit: the CSV numbers read back to the JSON ones.
  for (std::size_t i = 1; i < csv.size(); ++i) {
    std::istringstream fields(csv[i]);
    std::string field;
    const char* keys[] = {"FLIGHT", "DEPTH", "XW",      "QSQT", "TB",  "T121",
                          "TAV",    "FILM",  "PSAIINV", "PTOT", "PVIS"};
    for (const char* key : keys) {
      ASSERT_TRUE(std::getline(fields, field, ',')) << csv[i];
      EXPECT_EQ(std::stod(field), doc["rows"][i - 1][key].get<double>()) << key << " row " << i;
    }
  }
}

TEST_F(CliTest, DataFilesAndSetOptions) {
  const CliResult missing = Cli({"run", "missing.txt"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "Data file can not open!\n");
  EXPECT_TRUE(fs::is_empty(work_));

  // 30 lines with "=": the missing 31st line has none.
  const fs::path shortFile = base_ / "short.txt";
  std::string data = DefaultDataFile();
  Write(shortFile, data.substr(0, data.rfind("Thermal Cond. of Solid")));
  const CliResult refused = Cli({"run", shortFile.string()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "\"" + shortFile.string() + "\" is not a correct data file!\n");
  EXPECT_TRUE(fs::is_empty(work_));

  // A changed editable line counts; --set comes after the data file.
  const fs::path dataFile = base_ / "data.txt";
  Write(dataFile, ReplaceLine(ReplaceLine(data, 10, "40.0"), 11, "250.0"));
  const CliResult run = Cli({"run", dataFile.string(), "--set", "OUTPUT=280", "-o", "r.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string result = ReadFile(work_ / "r.txt");
  EXPECT_NE(result.find("Number of Revolution              (rpm) =  40.0\r\n"), std::string::npos);
  EXPECT_NE(result.find("Output                          (kg/hr) =  280.0\r\n"), std::string::npos);
}

TEST_F(CliTest, FixedPolymerLinesAreIgnoredWithAWarning) {
  const std::string data = DefaultDataFile();
  // 265 is the default melting point written differently: no warning.
  const fs::path sameFile = base_ / "same.txt";
  Write(sameFile, ReplaceLine(data, 27, "265"));
  const CliResult same = Cli({"run", sameFile.string()});
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_EQ(same.err, "");

  const fs::path changed = base_ / "changed.txt";
  Write(changed, ReplaceLine(data, 21, "9.9"));
  const CliResult r = Cli({"run", changed.string(), "-o", "r.txt"});
  ASSERT_EQ(r.exitCode, 0);
  const std::vector<std::string> warnings = LinesOf(r.err);
  ASSERT_EQ(warnings.size(), 1u) << r.err;
  EXPECT_NE(warnings[0].find("line 21"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[0].find("RHOS"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[0].find("9.9"), std::string::npos) << warnings[0];
  EXPECT_NE(ReadFile(work_ / "r.txt").find("(g/cm3) =  1.340\r\n"), std::string::npos);

  // --all-fields takes the line; --set reaches a fixed field too.
  const CliResult all = Cli({"run", changed.string(), "--all-fields", "-o", "all.txt"});
  EXPECT_EQ(all.err, "");
  EXPECT_NE(ReadFile(work_ / "all.txt").find("(g/cm3) =  9.900\r\n"), std::string::npos);
  const CliResult set = Cli({"run", "--set", "RHOS=1.2", "-o", "set.txt"});
  EXPECT_EQ(set.exitCode, 0);
  EXPECT_NE(
      ReadFile(work_ / "set.txt").find("Density of Solid                (g/cm3) =  1.200\r\n"),
      std::string::npos);
}

TEST_F(CliTest, AnotherPolymerFromAFullDataFile) {
  const std::string file = cases::TestDataPath("polymer_pp.txt");
  const CliResult r = Cli({"run", file, "--all-fields", "-o", "pp.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(work_ / "pp.txt"),
            ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / "polymer_pp.txt"));
  // Without --all-fields the 13 polymer lines are reported and ignored.
  const CliResult partial = Cli({"run", file, "-o", "partial.txt"});
  const std::vector<std::string> lines = LinesOf(partial.err);
  ASSERT_GE(lines.size(), 13u);
  for (int k = 0; k < 13; ++k) {
    EXPECT_EQ(lines[k].rfind("warning: line " + std::to_string(15 + k) + " ", 0), 0u) << lines[k];
  }
}

// The version is the project's, as the build states it (MELTSIM_PROJECT_VERSION
// comes from CMake's project(), not from the generated header).
TEST_F(CliTest, VersionIsTheProjectVersion) {
  const CliResult r = Cli({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "meltsim-cli " MELTSIM_PROJECT_VERSION "\n");
  EXPECT_EQ(r.err, "");
}

// --series chooses the mode of the series; anything else is a usage error.
TEST_F(CliTest, SeriesModeOption) {
  for (const char* mode : {"written", "rescue", "stable"}) {
    const CliResult r = Cli({"run", "--series", mode, "--json", "m.json"});
    EXPECT_EQ(r.exitCode, 0) << mode << ": " << r.err;
    EXPECT_EQ(nlohmann::json::parse(ReadFile(work_ / "m.json"))["series"], mode);
  }
  const CliResult bad = Cli({"run", "--series", "fast"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--series"), std::string::npos) << bad.err;
}

TEST_F(CliTest, UsageErrors) {
  const CliResult unknown = Cli({"run", "--set", "SPEED=60"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("SPEED"), std::string::npos);
  EXPECT_EQ(Cli({"run", "--set", "RPM"}).exitCode, 2);
  EXPECT_EQ(Cli({"run", "--no-such-option"}).exitCode, 2);
  EXPECT_EQ(Cli({}).exitCode, 2);
  EXPECT_TRUE(fs::is_empty(work_));
  // Symbols are accepted in any case.
  EXPECT_EQ(Cli({"run", "--set", "rpm=38.0"}).exitCode, 0);
}

TEST_F(CliTest, HelpDocumentsEveryOption) {
  const CliResult r = Cli({"run", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* text : {"DATAFILE", "--all-fields", "--set", "-o,--output", "--json", "--csv",
                           "Examples", "Exit codes"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(Cli({"--help"}).exitCode, 0);
  // The series modes by name only, not as the option parser's map to numbers.
  EXPECT_NE(r.out.find("--series written|rescue|stable\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("->"), std::string::npos) << r.out;
  // Every column of a sweep row, from the one column table.
  const CliResult sweep = Cli({"sweep", "--help"});
  EXPECT_EQ(sweep.exitCode, 0);
  for (const SweepColumn& column : kSweepRowColumns) {
    EXPECT_NE(sweep.out.find(std::string(", ") + column.head), std::string::npos) << column.head;
  }
}

TEST_F(CliTest, FailedCalculationKeepsTheInputSection) {
  const CliResult r = Cli({"run", "--set", "E=20", "--json", "x.json"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err, "The flight width leaves no channel: the channel width is not positive\n");
  InputData in = DefaultInputData();
  in.E = 20;
  EXPECT_EQ(ReadFile(work_ / "result.txt"), InputSectionText(in));
  EXPECT_FALSE(fs::exists(work_ / "x.json"));

  // A run the written series cannot settle (its film gives up from the first
  // step on); the default series rescues it from that step.
  const CliResult stuck = Cli({"run", "--set", "KS=0.00003", "--series", "written"});
  EXPECT_EQ(stuck.exitCode, 3);
  EXPECT_EQ(LinesOf(stuck.err).back(), "Calculation did not converge at step 84 (step passes)");
  const CliResult rescued = Cli({"run", "--set", "KS=0.00003", "--json", "rescued.json"});
  EXPECT_EQ(rescued.exitCode, 0) << rescued.err;
  const nlohmann::json doc = nlohmann::json::parse(ReadFile(work_ / "rescued.json"));
  EXPECT_EQ(doc["series"], "rescue");
  EXPECT_EQ(doc["status"], "ok");
  EXPECT_EQ(doc["rescuedAtStep"], 1);
  EXPECT_EQ(doc["unsolvedSteps"], 0);
  EXPECT_GT(doc["NSTEP"].get<int>(), 84);
  // stderr: the notices, then the note of the rescue, then the warnings.
  std::vector<std::string> said = doc["notices"].get<std::vector<std::string>>();
  for (const char* key : {"notes", "warnings"}) {
    for (const std::string& line : doc[key].get<std::vector<std::string>>()) said.push_back(line);
  }
  EXPECT_EQ(LinesOf(rescued.err), said);
  ASSERT_EQ(doc["notes"].size(), 1u);
  EXPECT_EQ(doc["notes"][0].get<std::string>().rfind(
                "Step 1 (FLIGHT 5.10) failed with the written solid bed series (The film "
                "thickness iteration gave up at step 1: ",
                0),
            0u);
}

TEST_F(CliTest, FilesThatCannotBeWritten) {
  const CliResult noResult = Cli({"run", "-o", "no/dir/r.txt", "--json", "x.json"});
  EXPECT_EQ(noResult.exitCode, 4);
  EXPECT_EQ(noResult.err, "File can not open!\n");
  EXPECT_TRUE(fs::is_empty(work_));

  const CliResult noJson = Cli({"run", "--json", "no/dir/x.json", "--csv", "x.csv"});
  EXPECT_EQ(noJson.exitCode, 4);
  EXPECT_NE(noJson.err.find("JSON"), std::string::npos);
  EXPECT_NE(noJson.err.find("no/dir/x.json"), std::string::npos);
  EXPECT_TRUE(fs::exists(work_ / "result.txt"));
  EXPECT_TRUE(fs::exists(work_ / "x.csv"));
}

// Notices come first on stderr, then the warnings; the JSON keeps them apart.
TEST_F(CliTest, OverflowNoticesOnStderrAndInTheJson) {
  const CliResult r =
      Cli({"run", "--set", "KS=0.000015", "--json", "x.json", "--series", "written"});
  ASSERT_EQ(r.exitCode, 0);
  const std::vector<std::string> lines = LinesOf(r.err);
  const nlohmann::json doc = nlohmann::json::parse(ReadFile(work_ / "x.json"));
  ASSERT_FALSE(doc["notices"].empty());
  ASSERT_EQ(doc["notices"].size() + doc["warnings"].size(), lines.size());
  for (std::size_t i = 0; i < doc["notices"].size(); ++i) {
    EXPECT_EQ(doc["notices"][i], lines[i]);
    EXPECT_EQ(lines[i].rfind("EXPA Overflowed / AA = ", 0), 0u);
  }
  EXPECT_EQ(doc["warnings"].back(), lines.back());
  EXPECT_EQ(doc["series"], "written");
}

}  // namespace
}  // namespace meltsim
