// Data files: which lines count, where a value starts and ends, and what a
// file that is not one is told.
#include "io/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "model/input_data.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

// 31 lines "Value k = k.5 unit", joined by `eol`.
std::vector<std::string> GoodLines() {
  std::vector<std::string> lines;
  for (int k = 1; k <= kFieldCount; ++k) {
    lines.push_back("Value " + std::to_string(k) + " = " + std::to_string(k) + ".5 unit");
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

std::string NotCorrect(const std::string& name) {
  return "\"" + name + "\" is not a correct data file!";
}

TEST(DataFileParse, TakesTheWordAfterTheFirstEqualsSignOfEachLine) {
  for (const char* eol : {"\r\n", "\n"}) {
    const DataFileResult r = ParseDataFile(Join(GoodLines(), eol), "d.txt");
    ASSERT_TRUE(r.has_value()) << r.error().message;
    for (int k = 0; k < kFieldCount; ++k) EXPECT_EQ(r.value()[k], std::to_string(k + 1) + ".5");
  }
}

TEST(DataFileParse, ValueRules) {
  struct Case {
    std::string line;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"Screw Diameter = 20.0 cm", "20.0"},
      {"X=1.5=2", "1.5=2"},
      {"X = 1.5 2", "1.5"},
      {"X=", ""},
      {"X=     ", ""},
      {"=7", "7"},
      {"no label  =   -3e2", "-3e2"},
      {"X=\t1", "\t1"},  // only the blank character is a blank
      {"X= 1\t2 3", "1\t2"},
      {std::string("X=1\0 2", 6), std::string("1\0", 2)},  // NUL is an ordinary byte
      {std::string("A\0B=4", 5), "4"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = GoodLines();
    lines[0] = c.line;
    const DataFileResult r = ParseDataFile(Join(lines), "d.txt");
    ASSERT_TRUE(r.has_value()) << c.line;
    EXPECT_EQ(r.value()[0], c.value) << c.line;
    EXPECT_EQ(r.value()[1], "2.5");
  }
}

TEST(DataFileParse, ALineWithoutEqualsSignRefusesTheWholeFile) {
  // Every line counts, the fixed inputs' lines 15 to 27 included.
  for (int k = 0; k < kFieldCount; ++k) {
    std::vector<std::string> lines = GoodLines();
    lines[k] = "Value without sign 1.5";
    const DataFileResult r = ParseDataFile(Join(lines), "/home/u/My Data.txt");
    EXPECT_FALSE(r.has_value()) << "line " << k + 1;
    EXPECT_EQ(r.error().message, NotCorrect("/home/u/My Data.txt"));
  }
}

TEST(DataFileParse, MissingLinesReadAsEmpty) {
  std::vector<std::string> lines = GoodLines();
  lines.pop_back();
  EXPECT_FALSE(ParseDataFile(Join(lines), "d.txt").has_value());  // 30 lines
  EXPECT_FALSE(ParseDataFile("", "d.txt").has_value());
  EXPECT_EQ(ParseDataFile("=", "one.txt").error().message, NotCorrect("one.txt"));

  // The 31st line needs no line end of its own.
  const std::string full = Join(GoodLines(), "\n");
  const DataFileResult r = ParseDataFile(full.substr(0, full.size() - 1), "d.txt");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r.value()[30], "31.5");
}

TEST(DataFileParse, LinesAfterThe31stAreNeverLookedAt) {
  std::vector<std::string> lines = GoodLines();
  lines.push_back("garbage without sign");
  lines.push_back("");
  lines.push_back(std::string(100000, 'x'));
  const DataFileResult r = ParseDataFile(Join(lines), "d.txt");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r.value()[30], "31.5");
}

TEST(DataFileParse, ALoneCarriageReturnEndsTheTextButNotTheLine) {
  std::vector<std::string> lines = GoodLines();
  lines[0] = "A=1\rB=2";
  DataFileResult r = ParseDataFile(Join(lines, "\n"), "d.txt");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r.value()[0], "1");
  EXPECT_EQ(r.value()[1], "2.5");

  lines[0] = "A\r=1";  // the "=" is past the end of the line's text
  r = ParseDataFile(Join(lines, "\n"), "d.txt");
  EXPECT_FALSE(r.has_value());
}

TEST(DataFileParse, AResultFileIsADataFileWithoutItsSeparatorLines) {
  InputData in = DefaultInputData();
  in.D = 20;
  in.SBAP = 0.5;
  const std::string section = InputSectionText(in);
  const std::string tail = " [RESULTS]\r\n FLIGHT DEPTH\r\n";
  EXPECT_EQ(ParseDataFile(section + tail, "C:\\runs\\result.txt").error().message,
            NotCorrect("C:\\runs\\result.txt"));

  // Delete line 29 (empty) and line 30 (the group line).
  const std::string marker = "\r\n\r\n--Additional Data for Donovan Model--\r\n";
  const std::size_t at = section.find(marker);
  ASSERT_NE(at, std::string::npos);
  const std::string edited = section.substr(0, at + 2) + section.substr(at + marker.size()) + tail;
  const DataFileResult r = ParseDataFile(edited, "result.txt");
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ(r.value()[0], "20.0");
  EXPECT_EQ(r.value()[14], "7.442000");
  EXPECT_EQ(r.value()[28], "0.500");
  EXPECT_EQ(r.value()[30], "0.000350");
  for (int k = 0; k < kFieldCount; ++k) {
    EXPECT_EQ(ConvertNumber(r.value()[k]), in.*kFields[k].member) << kFields[k].symbol;
  }
}

TEST(DataFileParse, OverlongValuesNeverConvertToAnotherNumber) {
  // 4096 bytes are kept whole; one more and the value is cut and marked.
  std::vector<std::string> lines = GoodLines();
  const std::string longest = "1." + std::string(4094, '0');
  lines[0] = "X = " + longest + " cm";
  DataFileResult r = ParseDataFile(Join(lines), "d.txt");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r.value()[0], longest);
  EXPECT_EQ(ConvertNumber(r.value()[0]), 1.0);

  for (const std::string& value :
       {longest + "0", "1" + std::string(5000, '0') + "e-4990", std::string(6000, '9')}) {
    lines[0] = "X = " + value + " cm";
    r = ParseDataFile(Join(lines), "d.txt");
    ASSERT_TRUE(r.has_value());
    EXPECT_LE(r.value()[0].size(), 4100u);
    EXPECT_EQ(ConvertNumber(r.value()[0]), std::nullopt);
    EXPECT_EQ(r.value()[1], "2.5");
  }
}

// --- Files on disk --------------------------------------------------------

class DataFileRead : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("meltsim_data_file_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path dir_;
};

TEST_F(DataFileRead, ReadsAFileLikeItsBytes) {
  std::vector<std::string> lines = GoodLines();
  lines[20] = "Density of Solid = 9.9";
  const std::string path = Write("in.txt", Join(lines));
  const DataFileResult r = ReadDataFile(path);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ(r.value()[20], "9.9");
  EXPECT_EQ(r.value()[30], "31.5");
}

TEST_F(DataFileRead, FilesThatCannotBeReadAreReportedAsSuch) {
  EXPECT_EQ(ReadDataFile((dir_ / "missing.txt").string()).error().message,
            "Data file can not open!");
  EXPECT_EQ(ReadDataFile(dir_.string()).error().message, "Data file can not open!");
  EXPECT_FALSE(ReadDataFile(dir_.string()).has_value());
}

TEST_F(DataFileRead, AFileOfOneByteIsNotADataFile) {
  const std::string path = Write("one.txt", "=");
  const DataFileResult r = ReadDataFile(path);
  EXPECT_FALSE(r.has_value());
  EXPECT_EQ(r.error().message, NotCorrect(path));
}

TEST_F(DataFileRead, AHugeLineIsStreamedNotLoaded) {
  // A 20 MB label before the "=" and a 20 MB value: both lines are still
  // found, and the value is cut so that it cannot convert.
  std::vector<std::string> lines = GoodLines();
  lines[0] = std::string(20'000'000, 'L') + "= 4.25 cm";
  lines[1] = "X=1" + std::string(20'000'000, '0');
  const std::string path = Write("big.txt", Join(lines));
  const DataFileResult r = ReadDataFile(path);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ(r.value()[0], "4.25");
  EXPECT_LE(r.value()[1].size(), 4100u);
  EXPECT_EQ(ConvertNumber(r.value()[1]), std::nullopt);
  EXPECT_EQ(r.value()[2], "3.5");
  EXPECT_EQ(r.value()[30], "31.5");
}

TEST_F(DataFileRead, AnEndlessDeviceEndsTheReadingInBoundedTime) {
  if (!fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
  const DataFileResult r = ReadDataFile("/dev/zero");
  EXPECT_FALSE(r.has_value());
  EXPECT_EQ(r.error().message, NotCorrect("/dev/zero"));
}

}  // namespace
}  // namespace meltsim
