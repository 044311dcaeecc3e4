// meltsim-cli fit-viscosity as a user calls it: the report, the data file it
// writes (read back by the data file reader), and the refusals.
#include "cli/fit_viscosity.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/viscosity_data.h"
#include "model/input_data.h"
#include "support/file_text.h"
#include "support/viscosity_samples.h"

namespace meltsim {
namespace {

using files::LinesOf;
using files::ReadFile;

namespace fs = std::filesystem;

struct CliResult {
  int exitCode = -1;
  std::string out, err;
};

class FitViscosityCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("meltsim_fit_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string File(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Parses the arguments after "meltsim-cli" as the program does and runs
  // the subcommand.
  static CliResult Cli(std::vector<std::string> args) {
    CLI::App app;
    cli::FitViscosityOptions options;
    AddFitViscositySubcommand(app, options);
    std::reverse(args.begin(), args.end());  // CLI11 takes the vector from its back
    app.parse(args);
    std::ostringstream out, err;
    CliResult r;
    r.exitCode = cli::FitViscositySubcommand(options, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  fs::path dir_;
};

// The exact grid of the default coefficients, written with 17 digits.
std::vector<ViscosityPoint> ExactGrid() {
  return test::Measurements(DefaultInputData(), test::GridTemperatures(), test::GridShearRates());
}

TEST_F(FitViscosityCliTest, PrintsTheFitAndWritesItIntoADataFile) {
  const auto points = ExactGrid();
  const std::string csv = File("m.csv", test::CsvOf(points));
  const CliResult r = Cli({"fit-viscosity", csv, "-o", Path("polymer.txt")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");  // an even grid covering TM 265 to C0 290: no warnings

  // The fit of the same points, as the library gives it (the CSV holds the
  // points to 17 digits, so it reads back the same doubles).
  const ViscosityFitResult fitted = FitViscosity(points);
  ASSERT_TRUE(fitted.has_value()) << MessageString(fitted.error());
  const ViscosityFit& fit = *fitted;
  const std::vector<std::string> out = LinesOf(r.out);
  ASSERT_GE(out.size(), 11u) << r.out;
  const char* symbols[] = {"A0", "A1", "A11", "A2", "A22", "A12"};
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(out[k], std::string(symbols[k]) + " = " + test::Digits17(fit.A[k]));
  }
  EXPECT_EQ(out[6].rfind("R2 = ", 0), 0u);
  EXPECT_NE(out[6].find("(of ln(eta), 72 points)"), std::string::npos);
  char percent[40];
  std::snprintf(percent, sizeof percent, "%.6g", 100 * fit.maxRelError);
  EXPECT_EQ(out[7], "largest relative error = " + std::string(percent) + " % (line " +
                        std::to_string(fit.worstLine) + ")");
  EXPECT_EQ(out[8], "measured T = 230 to 300 C");  // the grid's ends
  EXPECT_EQ(out[9], "measured gamma = 1 to 10000 1/s");
  EXPECT_EQ(out.back(), "data file written: " + Path("polymer.txt") +
                            " (the fit on lines 15 to 20; run it with --all-fields)");

  // 31 lines, CR LF; lines 15 to 20 hold the fit, the others the defaults.
  const std::string bytes = ReadFile(Path("polymer.txt"));
  EXPECT_EQ(LinesOf(bytes).size(), 31u);
  const DataFileResult back = ReadDataFile(Path("polymer.txt"));
  ASSERT_TRUE(back.has_value()) << back.error().message;
  const FieldTexts defaults = DefaultFieldTexts();
  for (int i = 0; i < kFieldCount; ++i) {
    if (i >= 14 && i <= 19) continue;
    EXPECT_EQ(back.value()[i], defaults[i]) << "line " << i + 1;
  }
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(FieldIndex(symbols[k]), static_cast<int>(14 + k));  // line 15 + k
    const std::optional<double> value = ConvertNumber(back.value()[14 + k]);
    ASSERT_TRUE(value.has_value()) << back.value()[14 + k];
    EXPECT_EQ(*value, fit.A[k]) << symbols[k];  // 17 digits identify a double
  }
}

TEST_F(FitViscosityCliTest, TakesTheOtherLinesFromADataFileAndWarnsOfItsTemperatures) {
  FieldTexts texts = DefaultFieldTexts();
  texts[FieldIndex("RPM")] = "60.0";
  texts[FieldIndex("C0")] = "320.0";  // beyond the measured 300 C
  texts[FieldIndex("TM")] = "250.0";
  ASSERT_TRUE(WriteDataFile(Path("mine.txt"), texts).has_value());
  const std::string csv = File("m.csv", test::CsvOf(ExactGrid()));
  const CliResult r = Cli({"fit-viscosity", csv, "--from", Path("mine.txt"), "-o", Path("p.txt")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err,
            "warning: The fit extrapolates to 320 C; the data reach 300 C (the run's TM = 250, "
            "C0 = 320)\n");
  const DataFileResult back = ReadDataFile(Path("p.txt"));
  ASSERT_TRUE(back.has_value()) << back.error().message;
  EXPECT_EQ(back.value()[FieldIndex("RPM")], "60.0");
  EXPECT_EQ(back.value()[FieldIndex("TM")], "250.0");
  EXPECT_EQ(*ConvertNumber(back.value()[FieldIndex("A0")]), FitViscosity(ExactGrid())->A[0]);
}

TEST_F(FitViscosityCliTest, ReportsPascalSecondsAndTheFitsWarnings) {
  // Six points in Pa*s: exact, but no points to spare (a warning on stderr).
  const std::string csv = File("pas.csv",
                               "T,gamma,eta_Pas\n230,1,1000\n230,100,300\n230,10000,50\n"
                               "265,1,600\n265,100,200\n300,1,400\n");
  const CliResult r = Cli({"fit-viscosity", csv});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("eta_Pas converted to gf*s/cm2: 1 Pa*s = 10/980.665 gf*s/cm2\n"),
            std::string::npos);
  EXPECT_EQ(r.err.rfind("warning: six points for six coefficients", 0), 0u) << r.err;
  EXPECT_EQ(r.out.find("data file written"), std::string::npos);
}

TEST_F(FitViscosityCliTest, RefusesBadDataAndWritesNothing) {
  const std::string one =
      File("one.csv",
           test::CsvOf(test::Measurements(DefaultInputData(), {260}, test::GridShearRates())));
  const std::string bad = File("bad.csv", "T,gamma,eta\n230,1,2\n240,abc,3\n");
  const std::string good = File("good.csv", test::CsvOf(ExactGrid()));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"fit-viscosity", bad, "-o", Path("p.txt")},
       1,
       bad + ": line 3: gamma is not a number: \"abc\"\n"},
      {{"fit-viscosity", one, "-o", Path("p.txt")},
       1,
       one + ": the viscosity can not be fitted: the data hold one temperature only (260 C): A2, "
             "A22 and A12 cannot be determined; measure at three temperatures or more\n"},
      {{"fit-viscosity", good, "--from", Path("none.txt"), "-o", Path("p.txt")},
       1,
       std::string(kDataFileCannotOpenMessage) + "\n"},
      {{"fit-viscosity", good, "-o", Path("no/such/folder/p.txt")},
       4,
       "Data file " + Path("no/such/folder/p.txt") + " can not be written\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1];
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(fs::exists(Path("p.txt")));
  }
  // The measurements are the one argument that must be given.
  EXPECT_THROW(Cli({"fit-viscosity", "-o", Path("p.txt")}), CLI::RequiredError);
}

// The example of the documentation: 40 measurements made from the default
// coefficients with a 1 % log-normal scatter, rounded to four digits.
TEST(ViscosityExampleTest, TheDocumentedExampleFitsTheDefaults) {
  const ViscosityDataRead data =
      ReadViscosityCsv(std::string(MELTSIM_EXAMPLES) + "/viscosity-measurements.csv");
  ASSERT_TRUE(data.has_value()) << data.error().message;
  EXPECT_EQ(data->points.size(), 40u);
  const ViscosityFitResult result = FitViscosity(data->points);
  ASSERT_TRUE(result.has_value()) << MessageString(result.error());
  const ViscosityFit& fit = *result;
  EXPECT_TRUE(fit.warnings.empty());
  // A 1 % scatter: the worst of 40 points lies within 4 sigma, 4 %.
  EXPECT_LT(fit.maxRelError, 0.04);
  // The fitted viscosity within 2.5 % of the defaults' where the model uses
  // it, between TM (265 C) and C0 (290 C): 4 standard errors of the fitted
  // ln(eta), 4 * sigma * sqrt(h), with the leverage h = x^T (X^T X)^-1 x of
  // these points at most 0.35 for this design (0.34 at 290 C, 1 1/s).
  const InputData truth = DefaultInputData();
  const InputData fitted = test::WithCoefficients(fit.A);
  for (double T : {265.0, 290.0}) {
    for (double gamma : {1.0, 100.0, 1000.0}) {
      EXPECT_NEAR(MeltViscosity(fitted, gamma, T) / MeltViscosity(truth, gamma, T), 1.0, 0.025)
          << T << " C, " << gamma << " 1/s";
    }
  }
}

}  // namespace
}  // namespace meltsim
