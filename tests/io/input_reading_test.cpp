// Reading an input set from field texts: the number grammar, the conversion
// order and the checks.
#include "io/input_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/number_text.h"
#include "model/input_data.h"

namespace meltsim {
namespace {

TEST(InputDefaults, DefaultTextsPassEveryCheck) {
  InputData in;
  EXPECT_TRUE(ReadAndCheck(DefaultFieldTexts(), kDefaultSaveFileName, in).has_value());
  EXPECT_EQ(in.D, 15.0);
  EXPECT_EQ(in.A22, -0.00012377);
  EXPECT_EQ(in.KS, 0.00035);
  EXPECT_EQ(in.SaveFileName, "result.txt");

  const InputData d = DefaultInputData();
  for (int i = 0; i < kFieldCount; ++i) {
    EXPECT_EQ(d.*kFields[i].member, in.*kFields[i].member) << kFields[i].symbol;
  }
  EXPECT_EQ(d.SaveFileName, "result.txt");
}

// --- Number grammar -------------------------------------------------------

struct GrammarCase {
  const char* text;
  std::optional<double> value;
};

class ConvertNumberGrammar : public testing::TestWithParam<GrammarCase> {};

TEST_P(ConvertNumberGrammar, ConvertsExactlyTheTextsOfTheGrammar) {
  const GrammarCase& c = GetParam();
  const std::optional<double> v = ConvertNumber(c.text);
  ASSERT_EQ(v.has_value(), c.value.has_value()) << '"' << c.text << '"';
  if (v) {
    EXPECT_EQ(*v, *c.value) << '"' << c.text << '"';
  }
}

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Accepted, ConvertNumberGrammar,
    testing::Values(GrammarCase{"15.0", 15.0}, GrammarCase{" 15.0 ", 15.0},
                    GrammarCase{"   -2.5   ", -2.5}, GrammarCase{"+7", 7.0}, GrammarCase{".5", 0.5},
                    GrammarCase{"5.", 5.0}, GrammarCase{".", 0.0}, GrammarCase{"-.", 0.0},
                    GrammarCase{"+.5", 0.5}, GrammarCase{"1E-3", 0.001},
                    GrammarCase{"1e+3", 1000.0}, GrammarCase{" +1.5E+2 ", 150.0},
                    GrammarCase{"5.e1", 50.0}, GrammarCase{".e7", 0.0}, GrammarCase{"0.1", 0.1},
                    GrammarCase{"-0.00012377", -0.00012377},
                    GrammarCase{"000000000000000000000000000012.5", 12.5},
                    GrammarCase{"1.00000000000000000000000000000000000001", 1.0},
                    GrammarCase{"0.0000000001e310", 1e300},
                    GrammarCase{"1000000000000000000000e-330", 1e-309},
                    GrammarCase{"1.7976931348623157e308", kMax},
                    GrammarCase{"-1.7976931348623157e308", -kMax}, GrammarCase{"5e-324", kTiny},
                    GrammarCase{"3e-324", kTiny}, GrammarCase{"0e99999999999999999999", 0.0},
                    // Underflow stays inside the range of a double: it rounds to zero.
                    GrammarCase{"1e-400", 0.0}, GrammarCase{"-1e-400", 0.0},
                    GrammarCase{"2e-324", 0.0}, GrammarCase{"1e-99999999999999999999", 0.0}));

INSTANTIATE_TEST_SUITE_P(
    Refused, ConvertNumberGrammar,
    testing::Values(GrammarCase{"", std::nullopt}, GrammarCase{"   ", std::nullopt},
                    GrammarCase{"+", std::nullopt}, GrammarCase{"-", std::nullopt},
                    GrammarCase{" - ", std::nullopt}, GrammarCase{"1e", std::nullopt},
                    GrammarCase{"1e+", std::nullopt}, GrammarCase{"1e-", std::nullopt},
                    GrammarCase{"E5", std::nullopt}, GrammarCase{"--1", std::nullopt},
                    GrammarCase{"+-1", std::nullopt}, GrammarCase{"1 2", std::nullopt},
                    GrammarCase{"\t1", std::nullopt}, GrammarCase{"1\t", std::nullopt},
                    GrammarCase{"15,0", std::nullopt}, GrammarCase{"abc", std::nullopt},
                    GrammarCase{"1.2.3", std::nullopt}, GrammarCase{"1e5.0", std::nullopt},
                    GrammarCase{"0x10", std::nullopt}, GrammarCase{"1d5", std::nullopt},
                    GrammarCase{"inf", std::nullopt}, GrammarCase{"nan", std::nullopt},
                    GrammarCase{"1_000", std::nullopt}, GrammarCase{"1e 5", std::nullopt},
                    // Beyond the largest double.
                    GrammarCase{"1e400", std::nullopt}, GrammarCase{"-1e400", std::nullopt},
                    GrammarCase{"1.7976931348623159e308", std::nullopt},
                    GrammarCase{"1e99999999999999999999", std::nullopt},
                    GrammarCase{"0.000000000000000000000000000000000000001e450", std::nullopt}));

TEST(ConvertNumber, KeepsTheSignOfAZeroAndOfAnUnderflow) {
  EXPECT_TRUE(std::signbit(*ConvertNumber("-0")));
  EXPECT_TRUE(std::signbit(*ConvertNumber("-1e-400")));
  EXPECT_FALSE(std::signbit(*ConvertNumber("1e-400")));
}

TEST(ConvertNumber, EmbeddedNulIsNotABlank) {
  EXPECT_EQ(ConvertNumber(std::string("1\0", 2)), std::nullopt);
  EXPECT_EQ(ConvertNumber(std::string("\0"
                                      "1",
                                      2)),
            std::nullopt);
}

// --- Conversion and checks ------------------------------------------------

FieldTexts WithText(FieldTexts texts, const char* symbol, const char* text) {
  texts[FieldIndex(symbol)] = text;
  return texts;
}

std::optional<std::string> MessageOf(const Expected<void>& checked) {
  if (checked) return std::nullopt;
  return checked.error().message;
}

std::optional<std::string> Check(const FieldTexts& texts, const std::string& name = "r.txt") {
  InputData in;
  return MessageOf(ReadAndCheck(texts, name, in));
}

// The field a refusal names, or -2 when nothing is refused.
int FieldOf(const FieldTexts& texts, const std::string& name = "r.txt") {
  InputData in;
  const Expected<void> checked = ReadAndCheck(texts, name, in);
  return checked ? -2 : checked.error().field;
}

TEST(InputChecks, EveryMessageIsReachedInItsOrder) {
  // Every checked input starts out wrong; the messages must then come one by
  // one in the order of the checks as each input is put right in turn.
  const std::vector<std::pair<const char*, const char*>> checks = {
      {"D", "Value of Screw Diameter is not correct"},
      {"NFEED", "Value of Turns of Feed Zone is not correct"},
      {"NCOMP", "Value of Turns of Compression Zone is not correct"},
      {"NMETER", "Value of Turns of Metering Zone is not correct"},
      {"NDELAY", "Value of Turns of Delay in Metering is not correct"},
      {"H1", "Value of Depth of Feed Zone Channel is not correct"},
      {"H3", "Value of Depth of Metering Zone Channel is not correct"},
      {"PITCH", "Value of Screw Pitch is not correct"},
      {"E", "Value of Flight Width is not correct"},
      {"RPM", "Value of Number of Revolution is not correct"},
      {"OUTPUT", "Value of Flow Rate is not correct"},
      {"C0", "Value of Barrel Temp. Para. (C0) is not correct"},
      {"RHOS", "Value of Density of Solid is not correct"},
      {"RHOM", "Value of Density of Melt is not correct"},
      {"CPS", "Value of Specific Heat of Solid is not correct"},
      {"HFUS", "Value of Heat of Fusion is not correct"},
      {"CPM", "Value of Specific Heat of Melt is not correct"},
      {"KM", "Value of Thermal Conductivity of Melt is not correct"},
      {"TM", "Value of Melting Point is not correct"},
      {"TS0", "Value of Solid Temperature is not correct"},
      {"SBAP", "Value of SBAP is not correct"},
      {"TSCREW", "Value of Screw Temperature is not correct"},
      {"KS", "Value of Thermal Conductivity of Solid is not correct"},
  };
  const FieldTexts defaults = DefaultFieldTexts();
  FieldTexts texts = defaults;
  for (const auto& [symbol, message] : checks) texts[FieldIndex(symbol)] = "-1";
  std::string name;  // empty: the last check fails too

  for (const auto& [symbol, message] : checks) {
    EXPECT_EQ(Check(texts, name), message);
    EXPECT_EQ(FieldOf(texts, name), FieldIndex(symbol)) << message;
    texts[FieldIndex(symbol)] = defaults[FieldIndex(symbol)];
  }
  EXPECT_EQ(Check(texts, name), "Save File Name is not correct");
  EXPECT_EQ(FieldOf(texts, name), kSaveFileNameField);
  name = "out.txt";
  EXPECT_EQ(Check(texts, name), std::nullopt);
}

TEST(InputChecks, LimitsOfTheRanges) {
  const FieldTexts d = DefaultFieldTexts();
  EXPECT_EQ(Check(WithText(d, "HFUS", "0")), std::nullopt);
  EXPECT_EQ(Check(WithText(d, "HFUS", "-1e-300")), "Value of Heat of Fusion is not correct");
  EXPECT_EQ(Check(WithText(d, "CPS", "0")), "Value of Specific Heat of Solid is not correct");
  EXPECT_EQ(Check(WithText(d, "D", "0.0")), "Value of Screw Diameter is not correct");
  EXPECT_EQ(Check(WithText(d, "D", "1e-320")), std::nullopt);  // tiny but positive
  EXPECT_EQ(Check(WithText(d, "SBAP", "0")), std::nullopt);
  EXPECT_EQ(Check(WithText(d, "SBAP", "1")), std::nullopt);
  EXPECT_EQ(Check(WithText(d, "SBAP", "1.5")), "Value of SBAP is not correct");
  EXPECT_EQ(Check(WithText(d, "SBAP", "-0.5")), "Value of SBAP is not correct");
  EXPECT_EQ(Check(WithText(d, "SBAP", "1.0000000000000002")), "Value of SBAP is not correct");
  EXPECT_EQ(Check(WithText(d, "C1", "-5")), std::nullopt);
  EXPECT_EQ(Check(WithText(d, "C2", "-5")), std::nullopt);
  EXPECT_EQ(Check(WithText(d, "C0", "-5")), "Value of Barrel Temp. Para. (C0) is not correct");
  EXPECT_EQ(Check(WithText(d, "TM", "0")), "Value of Melting Point is not correct");
}

TEST(InputChecks, UncheckedInputsTakeAnyNumber) {
  FieldTexts t = DefaultFieldTexts();
  for (const char* s : {"C1", "C2", "A0", "A1", "A11", "A2", "A22", "A12"}) {
    t[FieldIndex(s)] = "-1e300";
  }
  EXPECT_EQ(Check(t), std::nullopt);
  for (const char* s : {"C1", "C2", "A0", "A1", "A11", "A2", "A22", "A12"}) t[FieldIndex(s)] = "0";
  EXPECT_EQ(Check(t), std::nullopt);
}

TEST(InputChecks, NoCheckRelatesOneInputToAnother) {
  FieldTexts t = DefaultFieldTexts();
  t[FieldIndex("NDELAY")] = "50";  // more than NFEED
  t[FieldIndex("H3")] = "3";       // deeper than H1
  t[FieldIndex("E")] = "20";       // wider than PITCH
  t[FieldIndex("TS0")] = "400";    // above TM
  EXPECT_EQ(Check(t), std::nullopt);
}

TEST(InputChecks, SaveFileNameOnlyNeedsToBeNonEmpty) {
  EXPECT_EQ(Check(DefaultFieldTexts(), ""), "Save File Name is not correct");
  EXPECT_EQ(Check(DefaultFieldTexts(), "   "), std::nullopt);
}

TEST(InputChecks, UnconvertibleTextsAreReportedWithoutNamingTheField) {
  const FieldTexts d = DefaultFieldTexts();
  for (const char* bad : {"15,0", "abc", "", "   ", "1e400"}) {
    EXPECT_EQ(Check(WithText(d, "D", bad)), "Input value is not correct!") << bad;
  }
  EXPECT_EQ(Check(WithText(d, "D", " 15.0 ")), std::nullopt);
}

TEST(InputChecks, ConversionFailureAnywhereWinsOverEveryCheck) {
  FieldTexts t = DefaultFieldTexts();
  t[FieldIndex("D")] = "-1";  // fails the first check
  t[FieldIndex("KS")] = "x";  // the last field does not convert
  EXPECT_EQ(Check(t, ""), "Input value is not correct!");
}

TEST(InputChecks, ConversionStopsAtTheFirstFailureMemberByMember) {
  InputData in;
  in.H1 = -7;
  in.KS = -8;
  in.SaveFileName = "old.txt";
  FieldTexts t = DefaultFieldTexts();
  t[FieldIndex("H1")] = "1,4";
  t[FieldIndex("KS")] = "nonsense";
  const Expected<void> notANumber = ReadAndCheck(t, "new.txt", in);
  EXPECT_EQ(MessageOf(notANumber), "Input value is not correct!");
  ASSERT_FALSE(notANumber.has_value());
  EXPECT_EQ(notANumber.error().field, FieldIndex("H1"));  // the first of two
  EXPECT_EQ(notANumber.error().kind, FailureKind::BadValue);
  EXPECT_EQ(in.D, 15.0);  // before the failing field: new
  EXPECT_EQ(in.NDELAY, 5.0);
  EXPECT_EQ(in.H1, -7);  // the failing field and after it: untouched
  EXPECT_EQ(in.KS, -8);
  EXPECT_EQ(in.SaveFileName, "old.txt");

  // A failed check leaves all new values in place.
  t = DefaultFieldTexts();
  t[FieldIndex("SBAP")] = "2";
  EXPECT_EQ(MessageOf(ReadAndCheck(t, "new.txt", in)), "Value of SBAP is not correct");
  EXPECT_EQ(in.H1, 1.4);
  EXPECT_EQ(in.SBAP, 2.0);
  EXPECT_EQ(in.KS, 0.00035);
  EXPECT_EQ(in.SaveFileName, "new.txt");
}

}  // namespace
}  // namespace meltsim
