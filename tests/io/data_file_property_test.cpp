// The data file rules on generated files: any bytes, NUL bytes, line ends of
// every kind, lines that straddle the reader's buffer, a 100 MB line, a file
// of one byte, missing lines, a directory. Every file gets the answer that a
// separate, whole-file reading of the rules gives, in bounded memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "io/data_file.h"
#include "io/number_text.h"
#include "model/input_data.h"

namespace meltsim {
namespace {

namespace fs = std::filesystem;

// The longest value the reader keeps; a longer one is cut there and marked
// with "...", so that it can never convert to a different number.
constexpr std::size_t kKeptValueBytes = 4096;

// The rules applied to the whole file at once: lines end at LF, a line's
// text ends at its first CR or LF, lines past the end are empty, each of the
// first 31 needs an "=", the value follows it without leading blanks and
// ends at the next blank.
DataFileResult ReferenceRules(std::string_view bytes, const std::string& fileName) {
  FieldTexts expected;
  std::size_t lineStart = 0;
  for (int k = 0; k < kFieldCount; ++k) {
    std::string_view text;
    if (lineStart <= bytes.size()) {
      const std::size_t lf = bytes.find('\n', lineStart);
      const std::size_t lineEnd = lf == std::string_view::npos ? bytes.size() : lf;
      text = bytes.substr(lineStart, lineEnd - lineStart);
      text = text.substr(0, text.find('\r'));
      lineStart = lf == std::string_view::npos ? bytes.size() + 1 : lf + 1;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
      return Fail(FailureKind::WrongFormat, "\"" + fileName + "\" is not a correct data file!");
    }
    std::string_view value = text.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    value = value.substr(0, value.find(' '));
    expected[k] = value.size() <= kKeptValueBytes
                      ? std::string(value)
                      : std::string(value.substr(0, kKeptValueBytes)) + "...";
  }
  return expected;
}

std::string Printable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < 60; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char buf[8];
    std::snprintf(buf, sizeof buf, (c >= 32 && c < 127) ? "%c" : "\\x%02X", c);
    out += buf;
  }
  return text.size() > 60 ? out + "... (" + std::to_string(text.size()) + " bytes)" : out;
}

// Same answer, same message, same values; false after reporting otherwise.
bool SameAnswer(const DataFileResult& got, const DataFileResult& expected, std::string_view bytes) {
  const auto message = [](const DataFileResult& r) { return r ? "" : r.error().message; };
  if (got.has_value() != expected.has_value() || message(got) != message(expected)) {
    ADD_FAILURE() << "file \"" << Printable(bytes) << "\": ok " << got.has_value() << " \""
                  << message(got) << "\", expected ok " << expected.has_value() << " \""
                  << message(expected) << '"';
    return false;
  }
  if (!got.has_value()) return true;
  for (int k = 0; k < kFieldCount; ++k) {
    if (got.value()[k] != expected.value()[k]) {
      ADD_FAILURE() << "file \"" << Printable(bytes) << "\": value " << k + 1 << " \""
                    << Printable(got.value()[k]) << "\", expected \""
                    << Printable(expected.value()[k]) << '"';
      return false;
    }
  }
  return true;
}

// Files built line by line from labels, "=", blanks, values, comments and
// line ends, each part drawn from bytes that matter to the rules (NUL, CR,
// LF, "=", blank, 0xFF) and some that do not.
class FileGenerator {
 public:
  explicit FileGenerator(std::uint64_t seed) : rng_(seed) {}

  std::string AnyBytes() { return Bytes(Pick(0, 3000), kAny); }

  std::string Lined() {
    std::string file;
    const int lines = Pick(0, 9) == 0 ? Pick(0, 40) : Pick(31, 34);
    for (int k = 0; k < lines; ++k) {
      if (Pick(0, 150) != 0) file += Bytes(Pick(0, 12), kLabel);
      if (Pick(0, 150) != 0) file += '=';
      file += std::string(Pick(0, 3), ' ');
      file += Pick(0, 300) == 0 ? std::string(kKeptValueBytes + Pick(0, 2), '7')
                                : Bytes(Pick(0, 10), kValue);
      if (Pick(0, 1)) file += ' ' + Bytes(Pick(0, 8), kLabel);
      if (k + 1 < lines || Pick(0, 1)) file += LineEnd();
    }
    return file;
  }

  // A first line whose "=", value or line end falls next to `boundary`, the
  // place where one read of the file ends and the next begins.
  std::string AcrossABoundary(std::size_t boundary) {
    std::string file(boundary - Pick(0, 6), 'L');
    file +=
        Bytes(Pick(0, 6), kValue) + "=" + std::string(Pick(0, 3), ' ') + Bytes(Pick(0, 6), kValue);
    file += LineEnd();
    for (int k = 1; k < kFieldCount; ++k) file += "X=" + std::to_string(k) + LineEnd();
    return file;
  }

 private:
  // Bytes that matter to the rules come rarely inside labels and values (so
  // that many files are accepted), and as often as any other in AnyBytes.
  static constexpr std::string_view kAny{"\0\r\n= \xFF\tab1.", 11};
  static constexpr std::string_view kSpecial{"\0\r= \xFF", 5};
  static constexpr std::string_view kLabel{"Label(cm) ", 10};
  static constexpr std::string_view kValue{"0123456789.-e", 13};

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string Bytes(int n, std::string_view from) {
    std::string out(n, ' ');
    for (char& c : out) {
      const std::string_view set = (from != kAny && Pick(0, 24) == 0) ? kSpecial : from;
      c = set[Pick(0, static_cast<int>(set.size()) - 1)];
    }
    return out;
  }

  std::string LineEnd() {
    switch (Pick(0, 5)) {
      case 0:
        return "\n";
      case 1:
        return "\r\r\n";
      case 2:
        return "\rtail\n";
      default:
        return "\r\n";
    }
  }

  std::mt19937_64 rng_;
};

class DataFileProperty : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("meltsim_data_property_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, std::string_view bytes) {
    const std::string path = (dir_ / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f == nullptr) return path;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    EXPECT_EQ(std::fclose(f), 0);
    return path;
  }

  fs::path dir_;
};

TEST(DataFileReference, AppliesTheRulesAsWritten) {
  std::string good;
  for (int k = 1; k <= kFieldCount; ++k)
    good += "L" + std::to_string(k) + " =  " + std::to_string(k) + " cm\r\n";
  DataFileResult r = ReferenceRules(good, "f.txt");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r.value()[0], "1");
  EXPECT_EQ(r.value()[30], "31");
  r = ReferenceRules("X=1.5=2\r\n", "f.txt");
  EXPECT_FALSE(r.has_value());
  EXPECT_EQ(r.error().message, "\"f.txt\" is not a correct data file!");
  std::string thirtyOne;
  for (int k = 0; k < kFieldCount; ++k) thirtyOne += "a= b c\n";
  EXPECT_TRUE(ReferenceRules(thirtyOne, "f").has_value());
  EXPECT_EQ(ReferenceRules(thirtyOne, "f").value()[5], "b");
  thirtyOne.pop_back();  // the last line needs no line end
  EXPECT_TRUE(ReferenceRules(thirtyOne, "f").has_value());
  EXPECT_FALSE(ReferenceRules(thirtyOne.substr(0, thirtyOne.size() - 6), "f").has_value());
}

TEST(DataFileRules, GeneratedBytesGetTheAnswerOfTheRules) {
  FileGenerator generate(0x5EED0003);
  int failures = 0;
  int accepted = 0;
  constexpr int kFiles = 20000;
  for (int n = 0; n < kFiles && failures < 10; ++n) {
    const std::string bytes = n % 5 == 0 ? generate.AnyBytes() : generate.Lined();
    const DataFileResult got = ParseDataFile(bytes, "gen.txt");
    if (!SameAnswer(got, ReferenceRules(bytes, "gen.txt"), bytes)) ++failures;
    if (got.has_value()) ++accepted;
  }
  EXPECT_EQ(failures, 0);
  // Both answers must be common, or the comparison proves little.
  EXPECT_GT(accepted, kFiles / 10);
  EXPECT_LT(accepted, kFiles * 9 / 10);
}

TEST_F(DataFileProperty, FilesOnDiskReadLikeTheirBytes) {
  // Lines straddling the places where the reader's buffer is refilled (it
  // reads in pieces of 64 KiB), and generated files of every kind.
  FileGenerator generate(0x5EED0004);
  int failures = 0;
  for (int n = 0; n < 300 && failures < 5; ++n) {
    const std::string bytes = n < 100   ? generate.AcrossABoundary(std::size_t{1} << 16)
                              : n < 130 ? generate.AcrossABoundary(std::size_t{2} << 16)
                              : n % 2   ? generate.AnyBytes()
                                        : generate.Lined();
    const std::string path = Write("f" + std::to_string(n) + ".txt", bytes);
    if (!SameAnswer(ReadDataFile(path), ReferenceRules(bytes, path), bytes)) ++failures;
  }
  EXPECT_EQ(failures, 0);
}

TEST_F(DataFileProperty, EveryFileOfOneByteOrOfMissingLinesIsRefused) {
  for (int b = 0; b < 256; ++b) {
    const std::string bytes(1, static_cast<char>(b));
    const std::string path = Write("one.txt", bytes);
    const DataFileResult r = ReadDataFile(path);
    EXPECT_FALSE(r.has_value()) << "byte " << b;
    EXPECT_EQ(r.error().message, "\"" + path + "\" is not a correct data file!") << "byte " << b;
  }
  std::string lines;
  for (int k = 0; k < kFieldCount; ++k) {
    const std::string path = Write("short.txt", lines);
    const DataFileResult r = ReadDataFile(path);
    EXPECT_FALSE(r.has_value()) << k << " lines";
    EXPECT_EQ(r.error().message, "\"" + path + "\" is not a correct data file!") << k << " lines";
    lines += "Value = " + std::to_string(k) + "\r\n";
  }
  EXPECT_TRUE(ReadDataFile(Write("full.txt", lines)).has_value());
}

TEST_F(DataFileProperty, ThingsThatAreNoFileCannotBeOpened) {
  EXPECT_EQ(ReadDataFile(dir_.string()).error().message, "Data file can not open!");
  EXPECT_EQ(ReadDataFile((dir_ / "").string()).error().message, "Data file can not open!");
  EXPECT_EQ(ReadDataFile((dir_ / "none" / "x.txt").string()).error().message,
            "Data file can not open!");
  EXPECT_EQ(ReadDataFile("").error().message, "Data file can not open!");
  EXPECT_FALSE(ReadDataFile(dir_.string()).has_value());
}

long MaxResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(DataFileProperty, AHundredMegabyteLineIsReadInBoundedMemory) {
  // Line 1: a value of 100 MB of digits; line 2: a label of 100 MB before
  // its "="; then the 29 other lines. Written in pieces of 1 MiB.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  constexpr int kPieces = 100;
  const std::string path = (dir_ / "huge.txt").string();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string digits(kPiece, '4');
    const std::string label(kPiece, 'L');
    std::fputs("Screw Diameter = 1", f);
    for (int i = 0; i < kPieces; ++i) ASSERT_EQ(std::fwrite(digits.data(), 1, kPiece, f), kPiece);
    std::fputs(" cm\r\n", f);
    for (int i = 0; i < kPieces; ++i) ASSERT_EQ(std::fwrite(label.data(), 1, kPiece, f), kPiece);
    std::fputs("= 8.5 turns\r\n", f);
    for (int k = 3; k <= kFieldCount; ++k) std::fprintf(f, "Value %d = %d.25\r\n", k, k);
    ASSERT_EQ(std::fclose(f), 0);
  }
  ASSERT_GT(fs::file_size(path), std::uintmax_t{200} * kPiece);

  const long before = MaxResidentKilobytes();
  const DataFileResult r = ReadDataFile(path);
  const long grownKilobytes = MaxResidentKilobytes() - before;

  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ(r.value()[0], "1" + std::string(kKeptValueBytes - 1, '4') + "...");
  EXPECT_EQ(ConvertNumber(r.value()[0]), std::nullopt);  // a cut value never converts
  EXPECT_EQ(r.value()[1], "8.5");
  EXPECT_EQ(r.value()[2], "3.25");
  EXPECT_EQ(r.value()[30], "31.25");
  // The file is 200 MB; the reader holds one buffer and 31 short values.
  EXPECT_LT(grownKilobytes, 16 * 1024)
      << "the reader's peak memory grew by " << grownKilobytes << " KiB";
}

}  // namespace
}  // namespace meltsim
