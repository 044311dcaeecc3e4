// Result files read back, files that are not result files, how a march
// ended read off a file, and data files written from the field texts.
#include "io/result_file_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "engine/engine.h"
#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "runner/run_command.h"
#include "runner/run_results.h"
#include "support/engine_cases.h"
#include "support/failure_print.h"
#include "support/file_text.h"

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first);
}

// Width and decimals of the printed table cells, column by column.
constexpr int kWidths[kResultColumnCount] = {5, 5, 5, 5, 5, 5, 5, 6, 5, 5, 5};
constexpr int kDecimals[kResultColumnCount] = {2, 3, 3, 3, 1, 1, 1, 4, 1, 2, 2};

// The number a printed text reads back as.
double Printed(double value, int P, int D) { return *ConvertNumber(FixedText(value, P, D)); }

class TempDir {
 public:
  explicit TempDir(const std::string& name) : path_(fs::temp_directory_path() / name) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct FinishedRun {
  RunOutcome outcome;
  std::string fileBytes;
};

FinishedRun RunCase(const cases::EngineCase& c, const TempDir& dir) {
  RecordingMessageSink sink;
  const std::string path = (dir / "result.txt").string();
  FinishedRun run{RunCommand(cases::CaseTexts(c), path, sink), ""};
  EXPECT_EQ(run.outcome.status, RunStatus::Done) << run.outcome.message;
  run.fileBytes = ReadFile(path);
  return run;
}

class ReadBack : public ::testing::TestWithParam<cases::EngineCase> {};

TEST_P(ReadBack, GivesTheRunsTableInputsSummaryAndEnd) {
  const TempDir dir(std::string("meltsim_readback_") + GetParam().name);
  const FinishedRun run = RunCase(GetParam(), dir);
  const SimState& s = run.outcome.state;
  const InputData& in = run.outcome.inputs;
  const ResultFileRead read = ReadResultFile((dir / "result.txt").string());
  ASSERT_TRUE(read.has_value()) << read.error().message;
  const ResultFileContents& got = *read;

  ASSERT_EQ(static_cast<int>(got.rows.size()), s.NSTEP);
  for (int i = 0; i < s.NSTEP; ++i) {
    for (int c = 0; c < kResultColumnCount; ++c) {
      const double value = s.StepResults[i].*kResultColumns[c].value;
      const std::string text = FormatColumn(kWidths[c], kDecimals[c], value);
      ASSERT_EQ(got.rows[i].cells[c], Trimmed(text)) << "row " << i << " column " << c;
      ASSERT_EQ(got.rows[i].values.*kResultColumns[c].value, *ConvertNumber(text));
    }
  }
  for (int k = 0; k < kFieldCount; ++k) {
    const InputField& f = kFields[k];
    EXPECT_EQ(got.inputTexts[k], FixedText(in.*f.member, f.P, f.Dec)) << f.symbol;
    EXPECT_EQ(got.inputs.*f.member, Printed(in.*f.member, f.P, f.Dec)) << f.symbol;
  }
  const SummaryValues& sum = got.summary;
  EXPECT_EQ(sum.PTOTAL, Printed(s.PTOTAL, 7, 2));
  EXPECT_EQ(sum.PSCREW, Printed(s.PSCREW, 7, 2));
  EXPECT_EQ(sum.VSZ, Printed(s.VSZ, 8, 3));
  EXPECT_EQ(sum.SBAP, Printed(in.SBAP, 4, 2));
  EXPECT_EQ(sum.TSAVSTEP, Printed(s.TSAVSTEP, 8, 2));
  EXPECT_EQ(sum.QSQT, Printed(s.QSQT, 6, 3));
  EXPECT_THAT(got.summaryLines[6], HasSubstr(" \u2103"));  // the degree sign, now UTF-8

  // The march's end, which the file does not name, is read off its numbers.
  EXPECT_EQ(InferMarchEnd(got), s.marchEnd);
  // A run just made shows what its file shows, with the curves at full precision.
  const RunResults fromRun = ResultsOfRun(run.outcome);
  ASSERT_FALSE(fromRun.failed) << fromRun.errorText;
  ASSERT_EQ(fromRun.contents.rows.size(), got.rows.size());
  for (std::size_t i = 0; i < got.rows.size(); ++i) {
    EXPECT_EQ(fromRun.contents.rows[i].cells, got.rows[i].cells);
    EXPECT_EQ(fromRun.contents.rows[i].values.RXW, s.StepResults[i].RXW);
  }
  EXPECT_EQ(fromRun.contents.summaryLines, got.summaryLines);
  EXPECT_EQ(EndSentence(fromRun), EndSentence(ResultsOfFile(got, "result.txt")));
}

INSTANTIATE_TEST_SUITE_P(InputSets, ReadBack, ::testing::ValuesIn(cases::FinishingCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultFileReader, ReadsTheStoredFilesOfEarlierRuns) {
  const fs::path golden = fs::path(MELTSIM_TEST_DATA) / "golden";
  const ResultFileRead def = ReadResultFile((golden / "default.txt").string());
  ASSERT_TRUE(def.has_value()) << def.error().message;
  EXPECT_EQ(def->rows.size(), 96u);
  EXPECT_EQ(def->rows.back().cells[0], "18.10");
  EXPECT_EQ(def->inputTexts[kFieldCount - 1], "0.000350");
  EXPECT_EQ(def->summaryLines[7], "Final solid ratio = 0.023");
  EXPECT_EQ(EndSentence(ResultsOfFile(*def, "default.txt")), "Melting complete at 18.1 turns");

  const ResultFileRead screw = ReadResultFile((golden / "end_of_screw.txt").string());
  ASSERT_TRUE(screw.has_value()) << screw.error().message;
  const RunResults r = ResultsOfFile(*screw, "end_of_screw.txt");
  EXPECT_EQ(EndSentence(r), "Solid bed still 12 % of the flow at the end of the screw");
  EXPECT_DOUBLE_EQ(*EndFlight(r), 10.0 + 6.0 + 8.7);

  const ResultFileRead none = ReadResultFile((golden / "nothing_recorded.txt").string());
  ASSERT_TRUE(none.has_value()) << none.error().message;
  EXPECT_TRUE(none->rows.empty());
  EXPECT_EQ(EndSentence(ResultsOfFile(*none, "x")),
            "Melting complete before the first step was recorded");
}

TEST(ResultFileReader, ReadsWidenedCellsAndLfLineEnds) {
  std::string bytes = ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / "default.txt");
  // A barrel temperature of four digits takes a sixth character and shifts
  // the cells after it; an editor may have dropped the CRs.
  const std::string row = "  5.10  1.400  0.991  0.961  290.0  281.6";
  ASSERT_NE(bytes.find(row), std::string::npos);
  bytes.replace(bytes.find(row), row.size(), "  5.10  1.400  0.991  0.961  1234.5  281.6");
  std::erase(bytes, '\r');
  const ResultFileRead read = ParseResultFile(bytes, "edited.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_EQ(read->rows[0].cells[4], "1234.5");
  EXPECT_EQ(read->rows[0].values.RTB, 1234.5);
  EXPECT_EQ(read->rows[0].values.RT121, 281.6);
}

// The writer rounds the largest double up past it (D has P = 5: 1.7977E308);
// the reader takes the file it wrote.
TEST(ResultFileReader, TakesTheLargestDoubleAsTheWriterRoundsIt) {
  std::string bytes = ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / "default.txt");
  const std::string line = "Screw Diameter                     (cm) =  15.0\r\n";
  ASSERT_EQ(bytes.find(line), 0u);
  bytes.replace(line.find("15.0"), 4, "1.7977E308");
  const ResultFileRead read = ParseResultFile(bytes, "large.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_EQ(read->inputs.D, std::numeric_limits<double>::max());
  EXPECT_EQ(read->inputTexts[0], "1.7977E308");
}

// The file cut after `lines` lines.
std::string FirstLines(const std::string& bytes, int lines) {
  std::size_t end = 0;
  for (int i = 0; i < lines; ++i) end = bytes.find('\n', end) + 1;
  return bytes.substr(0, end);
}

TEST(ResultFileReader, RefusesWhatIsNotAResultFileWithTheReason) {
  const std::string good = ReadFile(fs::path(MELTSIM_TEST_DATA) / "golden" / "default.txt");
  std::mt19937 random(20240611);
  std::string noise(4000, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  std::string badCell = good;
  badCell.replace(badCell.find("0.0314"), 6, "0.03x4");
  std::string shortRow = good;
  shortRow.replace(shortRow.find("  0.72   0.67"), 13, "");
  std::string otherSummary = good;
  otherSummary.replace(otherSummary.find("Heat conducted"), 4, "Warm");

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "it is empty"},
      {DataFileText(DefaultFieldTexts()).value(), "line 29 is not the empty line after line 28"},
      {noise, "line 1 is not \"Screw Diameter = value\""},
      {FirstLines(good, 35), "it ends at line 35, before the table"},
      {FirstLines(good, 33),
       "it ends at line 33, after the input section (the calculation did not finish)"},
      {FirstLines(good, 60), "it ends at line 60, inside the table, before the summary"},
      {FirstLines(good, 140), "it ends at line 140, inside the summary"},
      {good.substr(0, good.size() - 7), "line 143 has \"\" where a number belongs"},
      {badCell, "line 39 has \"0.03x4\" where a number belongs"},
      {shortRow, "line 39 is a table row of 9 numbers instead of 11"},
      {otherSummary, "line 140 is not the summary line \"Heat conducted to screw =...\""},
  };
  for (const auto& [bytes, reason] : cases) {
    const ResultFileRead read = ParseResultFile(bytes, "some.txt");
    ASSERT_FALSE(read.has_value()) << reason;
    EXPECT_EQ(read.error(),
              (Failure{FailureKind::WrongFormat, "some.txt is not a result file: " + reason}));
  }
}

TEST(ResultFileReader, ReportsAFileThatCannotBeRead) {
  const TempDir dir("meltsim_reader_unreadable");
  const std::string missing = (dir / "missing.txt").string();
  EXPECT_EQ(ReadResultFile(missing).error(),
            (Failure{FailureKind::CannotOpen, missing + " can not be opened"}));
  EXPECT_EQ(ReadResultFile(dir.path().string()).error(),
            (Failure{FailureKind::CannotRead, dir.path().string() + " can not be read"}));
}

TEST(RunResults, AFailedRunCarriesItsMessageAndInputs) {
  const TempDir dir("meltsim_results_failed");
  FieldTexts texts = DefaultFieldTexts();
  texts[FieldIndex("C0")] = "100.0";  // a barrel below the melting point: no film
  RecordingMessageSink sink;
  const RunOutcome outcome = RunCommand(texts, (dir / "r.txt").string(), sink);
  ASSERT_EQ(outcome.status, RunStatus::CalculationFailed);
  const RunResults results = ResultsOfRun(outcome);
  EXPECT_TRUE(results.failed);
  EXPECT_EQ(EndSentence(results), outcome.message);
  EXPECT_FALSE(EndFlight(results).has_value());
  EXPECT_TRUE(results.contents.rows.empty());
  EXPECT_EQ(results.contents.inputTexts[FieldIndex("C0")], "100.0");
}

// Texts a user may leave in the fields, each kept through a data file.
FieldTexts UnusualTexts() {
  FieldTexts texts = DefaultFieldTexts();
  const char* samples[] = {"20", "+5",  "1e-3",         ".5",  "-0.0", "abc",
                           "",   "1=2", "\xef\xbc\x91", "7,5", "3.\t", "0x10"};
  for (int k = 0; k < kFieldCount; ++k) {
    if (kFields[k].editable) texts[k] = samples[k % std::size(samples)];
  }
  return texts;
}

TEST(DataFileWriter, SavedFieldsReadBackAsTyped) {
  const TempDir dir("meltsim_data_writer");
  const FieldTexts texts = UnusualTexts();
  const std::string path = (dir / "inputs.txt").string();
  ASSERT_TRUE(WriteDataFile(path, texts).has_value());
  const std::string bytes = ReadFile(path);
  // The 31 value lines of the input section, labels and all.
  EXPECT_THAT(bytes, StartsWith(std::string(kFields[0].sectionLabel) + "20\r\n"));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), kFieldCount);

  const DataFileResult back = ReadDataFile(path);
  ASSERT_TRUE(back.has_value()) << back.error().message;
  EXPECT_EQ(back.value(), texts);

  // Blanks around a text go; the reader would drop them anyway.
  FieldTexts padded = texts;
  padded[0] = "  15.5  ";
  EXPECT_EQ(ParseDataFile(DataFileText(padded).value(), "x").value()[0], "15.5");
}

TEST(DataFileWriter, RefusesTextsThatWouldNotReadBack) {
  const TempDir dir("meltsim_data_writer_refused");
  for (const char* text : {"1 5", "15.0 cm", "1\r\n5", "2\n"}) {
    FieldTexts texts = DefaultFieldTexts();
    texts[FieldIndex("RPM")] = text;
    const Expected<std::string> data = DataFileText(texts);
    ASSERT_FALSE(data.has_value()) << text;
    EXPECT_EQ(data.error().kind, FailureKind::BadValue);
    EXPECT_EQ(data.error().field, FieldIndex("RPM"));
    EXPECT_THAT(data.error().message, StartsWith("The text of Number of Revolution (rpm) (\""));
    const std::string path = (dir / "refused.txt").string();
    const Expected<void> written = WriteDataFile(path, texts);
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error(), data.error());
    EXPECT_FALSE(fs::exists(path));
  }
  const std::string unwritable = (dir / "no-such-dir" / "x.txt").string();
  const Expected<void> written = WriteDataFile(unwritable, DefaultFieldTexts());
  ASSERT_FALSE(written.has_value());
  EXPECT_EQ(written.error(),
            (Failure{FailureKind::CannotOpen, "Data file " + unwritable + " can not be written"}));
}

}  // namespace
}  // namespace meltsim
