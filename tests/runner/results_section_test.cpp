// The results section of the result file: cell format, table layout,
// summary lines and appending to the file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "support/engine_cases.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

const std::string kHeader1 = " [RESULTS]";
const std::string kHeader2 =
    " FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER";
const std::string kHeader3 = std::string(66, ' ') + "TOT    VIS ";

struct CellFormat {
  int first, last;  // character positions, counted from 1
  int decimals;
  double StepRow::*value;
};

// The printed columns: FLIGHT, DEPTH, X/W, QS/QT, TB, T121, TAV, FILM,
// 1/PSAI, POWER TOT, POWER VIS.
const CellFormat kCellFormats[] = {
    {2, 6, 2, &StepRow::RFLIGHT}, {9, 13, 3, &StepRow::RDEPTH}, {16, 20, 3, &StepRow::RXW},
    {23, 27, 3, &StepRow::RQSQT}, {30, 34, 1, &StepRow::RTB},   {37, 41, 1, &StepRow::RT121},
    {44, 48, 1, &StepRow::RTAV},  {51, 56, 4, &StepRow::RFILM}, {59, 63, 1, &StepRow::RPSAI},
    {66, 70, 2, &StepRow::RPTOT}, {73, 77, 2, &StepRow::RPVIS},
};

TEST(FormatColumn, RightAlignsTextsOfThreeToWidthMinusOneCharacters) {
  EXPECT_EQ(FormatColumn(5, 2, 5.1), " 5.10");
  EXPECT_EQ(FormatColumn(5, 1, 12.34), " 12.3");
  EXPECT_EQ(FormatColumn(6, 4, 0.01234), "0.0123");
  EXPECT_EQ(FormatColumn(5, 1, 290), "290.0");
  EXPECT_EQ(FormatColumn(5, 1, 1234.5), "1234.5");  // longer than the cell: unchanged
  EXPECT_EQ(FormatColumn(5, 2, -0.5), "-0.50");
  EXPECT_EQ(FormatColumn(5, 2, -12.5), "-12.50");
  EXPECT_EQ(FormatColumn(5, 1, 0.0), "  0.0");
  EXPECT_EQ(FormatColumn(6, 4, 0.000001), "0.0000");
  // More digits before the point than the precision: scientific, unpadded.
  EXPECT_EQ(FormatColumn(5, 2, 123456.0), FixedText(123456.0, 5, 2));
  EXPECT_NE(FormatColumn(5, 2, 123456.0).find('E'), std::string::npos);
  // A text shorter than three characters is left as it is.
  EXPECT_EQ(FormatColumn(5, 0, 7), FixedText(7, 5, 0));
  EXPECT_LT(FormatColumn(5, 0, 7).size(), 3u);
}

TEST(ResultsSection, DefaultRunLayout) {
  const InputData in = DefaultInputData();
  SimState s;
  RunSimulation(in, s);
  const std::vector<std::string> lines = SplitCrLf(ResultsSectionText(in, s));
  ASSERT_EQ(lines.size(), 3u + 96u + 1u + 8u);
  EXPECT_EQ(lines[0], kHeader1);
  EXPECT_EQ(lines[1], kHeader2);
  EXPECT_EQ(lines[2], kHeader3);
  EXPECT_EQ(lines[2].size(), 77u);
  EXPECT_EQ(lines[2].substr(66, 3), "TOT");  // above cell 10 (66-70)
  EXPECT_EQ(lines[2].substr(73, 3), "VIS");  // above cell 11 (73-77)

  for (int i = 0; i < 96; ++i) {
    const std::string& row = lines[3 + i];
    ASSERT_EQ(row.size(), 77u) << row;
    int previousLast = 0;
    for (const CellFormat& c : kCellFormats) {
      // Blanks between the cells (and before the first).
      EXPECT_EQ(row.substr(previousLast, c.first - 1 - previousLast),
                std::string(c.first - 1 - previousLast, ' '))
          << row;
      const std::string cell = row.substr(c.first - 1, c.last - c.first + 1);
      const std::size_t digits = cell.find_first_not_of(' ');
      ASSERT_NE(digits, std::string::npos) << row;
      const std::string number = cell.substr(digits);
      ASSERT_EQ(number.size() - number.find('.') - 1, static_cast<std::size_t>(c.decimals))
          << number;
      const double value = s.StepResults[i].*c.value;
      EXPECT_NEAR(std::stod(number), value, 0.5 * std::pow(10.0, -c.decimals) + 1e-12)
          << "row " << i << " cell at " << c.first;
      previousLast = c.last;
    }
  }
  EXPECT_EQ(lines[3], "  5.10  1.400  " + lines[3].substr(15));
  EXPECT_EQ(lines[98].substr(0, 15), " 18.10  0.400  ");
  EXPECT_EQ(lines[99], "");

  const std::vector<std::string> summary(lines.begin() + 100, lines.end());
  EXPECT_EQ(summary[0], "Total power incld. heating solid before melt. start = " +
                            FixedText(s.PTOTAL, 7, 2) + " kW");
  EXPECT_EQ(summary[1],
            "Power for heating after melting start (Total) = " + FixedText(s.PTOT, 7, 2) + " kW");
  EXPECT_EQ(summary[2], "Power for heating after melting start (Vis. dissip.) = " +
                            FixedText(s.PVIS, 7, 2) + " kW");
  EXPECT_EQ(summary[3], "Preheating power before melting start (Vis. dissip.) = 10.92 kW");
  EXPECT_EQ(summary[4], "Heat conducted to screw = " + FixedText(s.PSCREW, 7, 2) + " kW");
  EXPECT_EQ(summary[5],
            "Solid bed velocity - [initial] = 3.472; [final] = 3.472 cm/s (SBAP = 1.00)");
  EXPECT_EQ(summary[6], "Average melt temp. = " + FixedText(s.TAVM, 8, 2) +
                            ";  Average solid temp. = " + FixedText(s.TSAVSTEP, 8, 2) +
                            " \x81\x8E");
  EXPECT_EQ(summary[7], "Final solid ratio = 0.023");
  // The powers of the last row are the summary's.
  EXPECT_EQ(FixedText(s.StepResults[95].RPTOT, 5, 2), FixedText(s.PTOT, 7, 2));
}

TEST(ResultsSection, NoRecordedStepGoesStraightToTheSummary) {
  const InputData in = cases::CaseInputs(cases::FindCase("nothing_recorded"));
  SimState s;
  RunSimulation(in, s);
  ASSERT_EQ(s.NSTEP, 0);
  const std::vector<std::string> lines = SplitCrLf(ResultsSectionText(in, s));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], kHeader1);
  EXPECT_EQ(lines[2], kHeader3);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Total power incld. heating solid before melt. start = " +
                          FixedText(s.PPRE, 7, 2) + " kW");
  EXPECT_EQ(lines[5], "Power for heating after melting start (Total) = 0.00 kW");
  EXPECT_EQ(lines[11], "Final solid ratio = 0.000");
}

TEST(ResultsSection, WideCellsLengthenTheRow) {
  InputData in = DefaultInputData();
  in.SBAP = 0.25;
  SimState s;
  s.NSTEP = 1;
  s.StepResults.resize(201);  // entries beyond NSTEP are never printed
  s.StepResults[0] = {-12.5, 1.4, 0.5, 0.25, 1234.5, 281.0, 285.0, 0.03, 12.34, 1.0, 0.5};
  s.StepResults[1].RFLIGHT = 99;
  const std::vector<std::string> lines = SplitCrLf(ResultsSectionText(in, s));
  ASSERT_EQ(lines.size(), 3u + 1u + 1u + 8u);
  EXPECT_EQ(lines[3],
            " -12.50  1.400  0.500  0.250  1234.5  281.0  285.0  0.0300   12.3   1.00   0.50");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[10],
            "Solid bed velocity - [initial] = 0.000; [final] = 0.000 cm/s (SBAP = 0.25)");
}

class WriteResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("meltsim_results_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  fs::path dir_;
};

TEST_F(WriteResultsTest, AppendsToTheExistingFile) {
  InputData in = DefaultInputData();
  in.SaveFileName = (dir_ / "r.txt").string();
  { std::ofstream(in.SaveFileName, std::ios::binary) << "input section\r\n"; }
  SimState s;
  s.NSTEP = 0;
  const Expected<void> written = WriteResults(in, s);
  EXPECT_TRUE(written.has_value()) << written.error().message;
  EXPECT_EQ(Read(in.SaveFileName), "input section\r\n" + ResultsSectionText(in, s));
}

TEST_F(WriteResultsTest, AMissingFileIsReportedAndNotCreated) {
  InputData in = DefaultInputData();
  in.SaveFileName = (dir_ / "gone.txt").string();
  SimState s;
  const Failure cannotOpen{FailureKind::CannotOpen, "Can not write result to file"};
  const Expected<void> gone = WriteResults(in, s);
  ASSERT_FALSE(gone.has_value());
  EXPECT_EQ(gone.error(), cannotOpen);
  EXPECT_FALSE(fs::exists(in.SaveFileName));

  in.SaveFileName = dir_.string();  // a directory cannot be appended to
  const Expected<void> directory = WriteResults(in, s);
  ASSERT_FALSE(directory.has_value());
  EXPECT_EQ(directory.error(), cannotOpen);
}

TEST_F(WriteResultsTest, AFailedWriteSaysWhy) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  InputData in = DefaultInputData();
  in.SaveFileName = "/dev/full";
  SimState s;
  const Expected<void> written = WriteResults(in, s);
  ASSERT_FALSE(written.has_value());
  EXPECT_EQ(written.error(),
            (Failure{FailureKind::CannotWrite,
                     "Can not write result file /dev/full: No space left on device"}));
}

}  // namespace
}  // namespace meltsim
