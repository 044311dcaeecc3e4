// The window's toolkit-free files: the polymer file, the field an input
// message names, a result file holding only its input section, the table CSV.
#include <gtest/gtest.h>

#include <limits>

#include "io/input_reading.h"
#include "io/input_section_file.h"
#include "io/number_text.h"
#include "io/polymer_file.h"
#include "io/result_file.h"
#include "io/table_csv.h"
#include "support/failure_print.h"

namespace meltsim {
namespace {

TEST(PolymerFile, DefaultsAreTheFixedFieldsOfTheInputTable) {
  const Polymer polymer = DefaultPolymer();
  EXPECT_EQ(polymer.texts.front(), "7.442");  // A0, line 15 of the input table
  EXPECT_EQ(polymer.texts.back(), "265.0");   // TM, line 27
  EXPECT_TRUE(HasDefaultValues(polymer));
  EXPECT_TRUE(CheckPolymer(polymer).has_value());
  FieldTexts texts = DefaultFieldTexts();
  texts[20] = "0.9";  // RHOS
  EXPECT_FALSE(HasDefaultValues(PolymerOfFields(texts, "x")));
  FieldTexts back = DefaultFieldTexts();
  PutPolymer(PolymerOfFields(texts, "x"), back);
  EXPECT_EQ(back, texts);
}

TEST(PolymerFile, TextRoundTripsNameAndValues) {
  Polymer polymer = DefaultPolymer();
  polymer.name = "PP homopolymer, MFI 12";
  polymer.texts[0] = "7.6";
  polymer.texts[12] = "165.0";
  const std::string text = PolymerFileText(polymer);
  // The name line, then the 13 labelled lines of the input section.
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "Polymer = PP homopolymer, MFI 12");
  EXPECT_NE(text.find("Melting Point                      (\x81\x8E) =  165.0\r\n"),
            std::string::npos);
  const PolymerFileRead read = ParsePolymerFile(text, "pp.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_FALSE(read->fromDataFile);
  EXPECT_EQ(read->polymer.name, polymer.name);
  EXPECT_EQ(read->polymer.texts, polymer.texts);
}

TEST(PolymerFile, DataFilesGiveTheirLines15To27AndBadFilesNameTheLine) {
  std::string data;
  for (int k = 1; k <= 31; ++k) data += "v = " + std::to_string(k) + ".5 unit\n";
  const PolymerFileRead read = ParsePolymerFile(data, "/some/dir/my pe.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_TRUE(read->fromDataFile);
  EXPECT_EQ(read->polymer.name, "my pe");
  EXPECT_EQ(read->polymer.texts.front(), "15.5");
  EXPECT_EQ(read->polymer.texts.back(), "27.5");

  const PolymerFileRead broken =
      ParsePolymerFile("Polymer = x\r\na0 = 1\r\nno equals\r\n", "b.txt");
  ASSERT_FALSE(broken.has_value());
  EXPECT_EQ(broken.error(), (Failure{FailureKind::WrongFormat,
                                     "\"b.txt\" is not a polymer file: line 3 (A1) has no \"=\""}));
  const PolymerFileRead neither = ParsePolymerFile("hello\n", "c.txt");
  ASSERT_FALSE(neither.has_value());
  EXPECT_EQ(neither.error(),
            (Failure{FailureKind::WrongFormat,
                     "\"c.txt\" is not a polymer file: its first line is not \"Polymer = NAME\" "
                     "and it is no data file either"}));
  const std::string missing = "/nonexistent/meltsim/none.txt";
  EXPECT_EQ(ReadPolymerFile(missing).error(),
            (Failure{FailureKind::CannotOpen,
                     "\"" + missing + "\" is not a polymer file: it can not be opened"}));
}

TEST(PolymerFile, ChecksNameTheValueAndTheDifferingLines) {
  Polymer polymer = DefaultPolymer();
  polymer.texts[5] = "1e";  // A12: an exponent without digits
  EXPECT_EQ(
      CheckPolymer(polymer).error(),
      (Failure{FailureKind::BadValue, "A12 (line 20): \"1e\" is not a number", FieldIndex("A12")}));
  polymer = DefaultPolymer();
  polymer.texts[9] = "-1";  // HFUS must be >= 0
  EXPECT_EQ(CheckPolymer(polymer).error(),
            (Failure{FailureKind::BadValue, "Value of Heat of Fusion is not correct",
                     FieldIndex("HFUS")}));

  FieldTexts file = DefaultFieldTexts();
  file[14] = "7.0";  // line 15
  file[26] = "270";  // line 27
  file[0] = "20.0";  // line 1 is no polymer line
  EXPECT_EQ(PolymerLinesDiffering(file, DefaultFieldTexts()), (std::vector<int>{15, 27}));
}

TEST(InputSectionOnly, TakesTheWritersInputSectionAndNothingElse) {
  InputData in = DefaultInputData();
  in.RPM = 50;
  const std::string section = InputSectionText(in);
  const InputSectionRead read = ParseInputSectionOnly(section, "r.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_EQ(read->inputs.RPM, 50.0);
  EXPECT_EQ(read->inputTexts[9], "50.0");  // FixedText(50, 5, 1)
  EXPECT_TRUE(read->rows.empty());
  std::string edited = section;
  edited.replace(edited.find("15.0"), 4, "15.00");  // not the writer's number format
  const Failure refused{FailureKind::WrongFormat, "r.txt is not an input section"};
  for (const std::string& bytes :
       {section + " [RESULTS]\r\n", section.substr(0, section.size() / 2), edited}) {
    const InputSectionRead other = ParseInputSectionOnly(bytes, "r.txt");
    ASSERT_FALSE(other.has_value()) << bytes;
    EXPECT_EQ(other.error(), refused);
  }
}

// An input as large as the largest double passes the input checks (the run
// then fails on an overflow), and its input section rounds it up to a text
// past the largest double; the file still opens.
TEST(InputSectionOnly, TakesTheLargestDoubleAsTheWriterRoundsIt) {
  InputData in = DefaultInputData();
  in.D = std::numeric_limits<double>::max();
  const std::string section = InputSectionText(in);
  ASSERT_NE(section.find("=  1.7977E308\r\n"), std::string::npos);  // FixedText(D, 5, 1)
  const InputSectionRead read = ParseInputSectionOnly(section, "r.txt");
  ASSERT_TRUE(read.has_value()) << read.error().message;
  EXPECT_EQ(read->inputs.D, in.D);
}

TEST(TableCsv, HeadsCarryUnitsAndCellsStayAsPrinted) {
  ResultRow row;
  for (int c = 0; c < kResultColumnCount; ++c) row.cells[c] = std::to_string(c) + ".5";
  const std::string csv = TableCsvText({row, row});
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "FLIGHT (turns),DEPTH (cm),X/W (-),QS/QT (-),TB (deg C),T121 (deg C),TAV (deg C),"
            "FILM (cm),1/PSAI (-),POWER TOT (kW),POWER VIS (kW)");
  const std::string line = "0.5,1.5,2.5,3.5,4.5,5.5,6.5,7.5,8.5,9.5,10.5\n";
  EXPECT_EQ(csv.substr(csv.find('\n') + 1), line + line);
}

}  // namespace
}  // namespace meltsim
