// The input section of the result file and the writing of result files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "model/input_data.h"
#include "model/messages.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

// The file stores the degree Celsius sign as the two bytes 0x81 0x8E.
std::string FileBytes(std::string text) {
  const std::string utf8 = "\u2103";
  for (std::size_t at = text.find(utf8); at != std::string::npos; at = text.find(utf8, at)) {
    text.replace(at, utf8.size(), "\x81\x8E");
  }
  return text;
}

// The input section with the default inputs, line by line.
const std::vector<std::string> kDefaultSection = {
    "Screw Diameter                     (cm) =  15.0",
    "Turns of Feed Zone                      =  10.0",
    "Turns of Compression Zone               =  6.0",
    "Turns of Metering Zone                  =  8.7",
    "Turns of Delay in Metering              =  5.0",
    "Depth of Feed Zone Channel         (cm) =  1.40",
    "Depth of Metering Zone Channel     (cm) =  0.40",
    "Screw Pitch                        (cm) =  15.0",
    "Flight Width                       (cm) =  1.50",
    "Number of Revolution              (rpm) =  38.0",
    "Output                          (kg/hr) =  300.0",
    "Barrel Temperature Para.(C0)       (℃) =  290.0",
    "Barrel Temperature Para.(C1)            =  0.000",
    "Barrel Temperature Para.(C2)            =  0.000",
    "Viscosity Equation Para. (a0)           =  7.442000",
    "Viscosity Equation Para. (a1)           =  -0.8031400",
    "Viscosity Equation Para. (a11)          =  -0.05509800",
    "Viscosity Equation Para. (a2)           =  0.004789900",
    "Viscosity Equation Para. (a22)          =  -0.0001237700",
    "Viscosity Equation Para. (a12)          =  0.004727700",
    "Density of Solid                (g/cm3) =  1.340",
    "Density of Melt                 (g/cm3) =  1.200",
    "Specific Heat of Solid       (cal/g.℃) =  0.400",
    "Heat of Fusion                  (cal/g) =  17.70",
    "Specific Heat of Melt        (cal/g.℃) =  0.480",
    "Thermal Cond. of Melt     (cal/s.cm.℃) =  0.000520",
    "Melting Point                      (℃) =  265.0",
    "Solid Temperature                  (℃) =  30.0",
    "",
    "--Additional Data for Donovan Model--",
    "SBAP                                    =  1.000",
    "Screw Temperature                  (℃) =  265.0",
    "Thermal Cond. of Solid    (cal/s.cm.℃) =  0.000350",
    "",
    "",
};

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(InputSection, DefaultsGiveTheExactBytes) {
  std::string expected;
  for (const std::string& line : kDefaultSection) expected += FileBytes(line) + "\r\n";
  EXPECT_EQ(InputSectionText(DefaultInputData()), expected);
}

TEST(InputSection, EveryValueStartsAtByte44) {
  const std::vector<std::string> lines = SplitCrLf(InputSectionText(DefaultInputData()));
  ASSERT_EQ(lines.size(), 35u);
  int degreeLines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 28 || i == 29 || i >= 33) continue;  // the empty and the group lines
    SCOPED_TRACE(lines[i]);
    EXPECT_EQ(lines[i].substr(39, 4), " =  ");
    EXPECT_NE(lines[i][43], ' ');
    if (lines[i].find("\x81\x8E") != std::string::npos) {
      ++degreeLines;
      EXPECT_EQ(lines[i][38], ')');  // the unit still ends at byte 39
    }
  }
  EXPECT_EQ(degreeLines, 8);  // C0, CPS, CPM, KM, TM, TS0, TSCREW, KS
}

TEST(InputSection, ValuesFollowTheNumberRulesOfTheirLines) {
  struct Case {
    const char* symbol;
    double value;
    int line;  // 1-based line of the section
    const char* text;
  };
  const Case cases[] = {
      {"A22", -0.00012377, 19, "-0.0001237700"},
      {"C1", 0, 13, "0.000"},
      {"OUTPUT", 1234567, 11, "1.23457E6"},
      {"HFUS", 1234567, 24, "1.23457E06"},
      {"D", 15.06, 1, "15.1"},
      {"H1", 1.404, 6, "1.40"},
      {"H1", 1.125, 6, "1.13"},
      {"C1", -0.0625, 13, "-0.063"},
      {"C1", -0.0004, 13, "0.000"},
      {"SBAP", 0.25, 31, "0.250"},
      {"KS", 0.0012345678, 33, "0.001235"},
      {"TSCREW", 1e7, 32, "1E7"},
  };
  for (const Case& c : cases) {
    InputData in = DefaultInputData();
    in.*kFields[FieldIndex(c.symbol)].member = c.value;
    const std::vector<std::string> lines = SplitCrLf(InputSectionText(in));
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines[c.line - 1].substr(43), c.text) << c.symbol << " " << c.value;
  }
}

class ResultFileWrite : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("meltsim_result_file_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

TEST_F(ResultFileWrite, AnExistingFileIsReplaced) {
  InputData in = DefaultInputData();
  in.SaveFileName = (dir_ / "result.txt").string();
  std::ofstream(in.SaveFileName, std::ios::binary) << std::string(20000, 'x');

  const Expected<void> written = WriteInputSection(in);
  EXPECT_TRUE(written.has_value()) << written.error().message;
  EXPECT_EQ(Read(in.SaveFileName), InputSectionText(in));
}

TEST_F(ResultFileWrite, AFileThatCannotBeCreatedFailsWithTheWindowsWords) {
  InputData in = DefaultInputData();
  for (const fs::path& path : {dir_ / "no such dir" / "result.txt", dir_}) {
    in.SaveFileName = path.string();
    const Expected<void> written = WriteInputSection(in);
    ASSERT_FALSE(written.has_value()) << path;
    EXPECT_EQ(written.error(), (Failure{FailureKind::CannotOpen, "File can not open!"})) << path;
  }
  EXPECT_FALSE(fs::exists(dir_ / "no such dir"));
}

TEST_F(ResultFileWrite, AppendingAddsToTheEnd) {
  const std::string path = (dir_ / "r.txt").string();
  ASSERT_TRUE(WriteFileBytes(path, "one\r\n", false).has_value());
  ASSERT_TRUE(WriteFileBytes(path, "two\r\n", true).has_value());
  EXPECT_EQ(Read(path), "one\r\ntwo\r\n");
  ASSERT_TRUE(WriteFileBytes(path, "three", false).has_value());
  EXPECT_EQ(Read(path), "three");
}

TEST_F(ResultFileWrite, AFullDiskIsAWriteErrorNamingFileAndCause) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  InputData in = DefaultInputData();
  in.SaveFileName = "/dev/full";
  const Expected<void> written = WriteInputSection(in);
  ASSERT_FALSE(written.has_value()) << "no error on a full disk";
  EXPECT_EQ(written.error(),
            (Failure{FailureKind::CannotWrite,
                     "Can not write result file /dev/full: No space left on device"}));
  // Larger than any stdio buffer: the write itself fails, not only the flush.
  const Expected<void> big = WriteFileBytes("/dev/full", std::string(1 << 20, 'x'), true);
  ASSERT_FALSE(big.has_value());
  EXPECT_EQ(big.error().kind, FailureKind::CannotWrite);
}

}  // namespace
}  // namespace meltsim
