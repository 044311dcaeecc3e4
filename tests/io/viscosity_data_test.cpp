// The CSV of viscosity measurements: columns found by name, the Pa*s
// conversion, and every refused row named by its line.
#include "io/viscosity_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/failure_print.h"

namespace meltsim {
namespace {

ViscosityDataRead Parse(std::string_view csv) { return ParseViscosityCsv(csv, "m.csv"); }

void ExpectPoint(const ViscosityPoint& p, double T, double gamma, double eta, int line) {
  EXPECT_EQ(p.T, T);
  EXPECT_EQ(p.gamma, gamma);
  EXPECT_EQ(p.eta, eta);
  EXPECT_EQ(p.line, line);
}

TEST(ViscosityCsvTest, FindsTheColumnsByNameInAnyOrder) {
  // Columns out of order, an ignored text column, quoted names, CR LF, a
  // byte order mark, a blank line and a line of empty fields
  // (both skipped but counted), a quoted comma and quote in an ignored field,
  // a plus sign and blanks around numbers.
  const std::string csv =
      "\xEF\xBB\xBFsample,\"eta\",gamma,T\r\n"
      "\r\n"
      "A,1.5,10,230\r\n"
      "  ,  , ,\r\n"
      "\"B, \"\"second\"\"\", 2.5e-1 ,1E2,+240.5\r\n"
      "C,.5,3.,-0\r\n";
  const ViscosityDataRead r = Parse(csv);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_FALSE(r->etaInPascalSeconds);
  ASSERT_EQ(r->points.size(), 3u);
  ExpectPoint(r->points[0], 230, 10, 1.5, 3);
  ExpectPoint(r->points[1], 240.5, 100, 0.25, 5);
  ExpectPoint(r->points[2], 0, 3, 0.5, 6);

  // LF only, no line end after the last row, the same values.
  const ViscosityDataRead lf = Parse("T,gamma,eta\n230,10,1.5\n240.5,100,0.25");
  ASSERT_TRUE(lf.has_value()) << lf.error().message;
  ASSERT_EQ(lf->points.size(), 2u);
  ExpectPoint(lf->points[1], 240.5, 100, 0.25, 3);
}

TEST(ViscosityCsvTest, ConvertsPascalSeconds) {
  // 1 gf*s/cm2 = 9.80665e-3 N * s / 1e-4 m2 = 98.0665 Pa*s exactly.
  const ViscosityDataRead r = Parse("gamma,eta_Pas,T\n100,98.0665,260\n10,250,270\n");
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_TRUE(r->etaInPascalSeconds);
  ASSERT_EQ(r->points.size(), 2u);
  EXPECT_NEAR(r->points[0].eta, 1.0, 1e-15);
  EXPECT_NEAR(r->points[1].eta, 250 / 98.0665, 1e-15);
  EXPECT_EQ(r->points[1].T, 270);
}

TEST(ViscosityCsvTest, RefusesABadRowWithItsLineAndReason) {
  const std::string head = "T,gamma,eta\n230,1,2\n\n";  // the bad row is on line 4
  // A value that is no number or out of range is refused as a value, a
  // quote that breaks the row as the file's format.
  constexpr FailureKind kFormat = FailureKind::WrongFormat;
  struct Case {
    std::string row;
    std::string message;  // empty: the file is taken
    FailureKind kind = FailureKind::BadValue;
  };
  const std::vector<Case> cases = {
      {"240,abc,3", "m.csv: line 4: gamma is not a number: \"abc\""},
      {"240,,3", "m.csv: line 4: gamma is not a number: \"\""},
      {"1.2.3,1,3", "m.csv: line 4: T is not a number: \"1.2.3\""},
      {"240,1,1e", "m.csv: line 4: eta is not a number: \"1e\""},
      {"240,1,nan", "m.csv: line 4: eta is not a number: \"nan\""},
      {"240,1,inf", "m.csv: line 4: eta is not a number: \"inf\""},
      {"240,0x10,3", "m.csv: line 4: gamma is not a number: \"0x10\""},
      {"240,1,3,5", ""},  // extra fields are ignored
      {"240,1,- 3", "m.csv: line 4: eta is not a number: \"- 3\""},
      {"240,1,3;5", "m.csv: line 4: eta is not a number: \"3;5\""},
      {"240,1,1e999", "m.csv: line 4: eta is out of range: \"1e999\""},
      {"240,1", "m.csv: line 4: no value for eta (the row has 2 fields)"},
      {"240,1,\"3", "m.csv: line 4: a quoted field does not end on its line", kFormat},
      {"240,1,\"3\"x", "m.csv: line 4: text follows the closing quote of a field", kFormat},
  };
  for (const Case& c : cases) {
    const ViscosityDataRead r = Parse(head + c.row + "\n230,10,2\n");
    ASSERT_EQ(r.has_value(), c.message.empty()) << c.row;
    if (!r.has_value()) {
      EXPECT_EQ(r.error(), (Failure{c.kind, c.message})) << c.row;
    }
  }
}

TEST(ViscosityCsvTest, RefusesAHeaderWithoutTheNeededColumns) {
  const std::string needed =
      "; the columns T (C), gamma (1/s) and eta (gf*s/cm2) or eta_Pas (Pa*s) are needed";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"T,shear,eta\n1,2,3\n", "m.csv: line 1: the header has no column named gamma" + needed},
      {"\nTemp,gamma,eta\n1,2,3\n", "m.csv: line 2: the header has no column named T" + needed},
      {"T,gamma,viscosity\n1,2,3\n",
       "m.csv: line 1: the header has no column named eta or eta_Pas" + needed},
      {"T,gamma,eta,eta_Pas\n1,2,3,4\n",
       "m.csv: line 1: the header names both eta (gf*s/cm2) and eta_Pas (Pa*s); keep one"},
      {"T,gamma,eta,T\n1,2,3,4\n", "m.csv: line 1: the header names the column T twice"},
      {"",
       "m.csv: the file is empty; it needs a header row (T, gamma, eta) and a row per "
       "measurement"},
      {"\r\n  \r\n",
       "m.csv: the file is empty; it needs a header row (T, gamma, eta) and a row "
       "per measurement"},
      {"T,gamma,eta\r\n\r\n", "m.csv: no measurements below the header"},
  };
  for (const auto& [csv, message] : cases) {
    const ViscosityDataRead r = Parse(csv);
    ASSERT_FALSE(r.has_value()) << csv;
    EXPECT_EQ(r.error(), (Failure{FailureKind::WrongFormat, message})) << csv;
  }
}

TEST(ViscosityCsvTest, ReadsAFileAsItsBytes) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "meltsim_viscosity_csv_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "m.csv";
  const std::string csv = "T,gamma,eta\r\n230,1,2\r\n240,10,1.5\r\n";
  std::ofstream(file, std::ios::binary) << csv;
  const ViscosityDataRead r = ReadViscosityCsv(file.string());
  ASSERT_TRUE(r.has_value()) << r.error().message;
  ASSERT_EQ(r->points.size(), 2u);
  ExpectPoint(r->points[1], 240, 10, 1.5, 3);

  EXPECT_EQ(
      ReadViscosityCsv((dir / "none.csv").string()).error(),
      (Failure{FailureKind::CannotOpen, (dir / "none.csv").string() + ": can not open the file"}));
  EXPECT_EQ(ReadViscosityCsv(dir.string()).error(),
            (Failure{FailureKind::CannotRead, dir.string() + ": can not read the file"}));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace meltsim
