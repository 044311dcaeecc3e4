// Reading a result file back. The file is checked line by line against the
// layout the writers give it; the first line that does not fit ends the
// reading with a reason that names the line.
#include "io/result_file_reader.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "io/number_text.h"
#include "io/text_lines.h"

namespace meltsim {

namespace {

constexpr int kMainGroupFields = 28;  // value lines 1..28; lines 31..33 hold the other three
constexpr const char* kAdditionalDataLine = "--Additional Data for Donovan Model--";
constexpr const char* kResultsLine = "[RESULTS]";
// No result file comes near this size: 100000 steps of 80 bytes are 8 MB.
constexpr std::uint64_t kMaxResultFileBytes = std::uint64_t{64} << 20;
constexpr std::size_t kShownValueBytes = 24;

// Thrown inside the parser; ParseResultFile turns it into the message.
struct NotAResultFile {
  std::string reason;
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// A piece of the file put into a message: short, printable, quoted.
std::string Quoted(std::string_view text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size() && i < kShownValueBytes; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    shown += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
  }
  if (text.size() > kShownValueBytes) shown += "...";
  return "\"" + shown + "\"";
}

// The quantity's name in a 43-byte label: everything before the first pair
// of blanks ("Screw Diameter", "Barrel Temperature Para.(C0)", "SBAP").
std::string_view QuantityName(std::string_view label) { return label.substr(0, label.find("  ")); }

class Parser {
 public:
  explicit Parser(std::string_view bytes) : lines_(SplitLines(bytes)) {}

  ResultFileContents Parse() {
    if (lines_.empty()) throw NotAResultFile{"it is empty"};
    ResultFileContents out;
    InputSection(out);
    Expect(Trim(Next("before the table")) == kResultsLine, "is not \" [RESULTS]\"");
    Expect(Trim(Next("in the table heads")).starts_with("FLIGHT"),
           "is not the table head \" FLIGHT DEPTH ...\"");
    Expect(Trim(Next("in the table heads")) == "TOT    VIS", "is not the table head \"TOT VIS\"");
    while (!Trim(Next("inside the table, before the summary")).empty())
      out.rows.push_back(TableRow());
    for (int i = 0; i < kSummaryLineCount; ++i) {
      const std::string_view line = Next("inside the summary");
      SummaryLine(line, i, out.summary);
      out.summaryLines[i] = DisplayText(line);
    }
    return out;
  }

 private:
  // Moves to the next line; the file must have one.
  std::string_view Next(const char* where) {
    if (next_ >= lines_.size()) {
      throw NotAResultFile{"it ends at line " + IntegerText(lines_.size()) + ", " + where};
    }
    return lines_[next_++];
  }
  std::string_view Current() const { return lines_[next_ - 1]; }
  [[noreturn]] void Fail(const std::string& what) const {
    throw NotAResultFile{"line " + IntegerText(next_) + " " + what};
  }
  void Expect(bool ok, const char* what) const {
    if (!ok) Fail(what);
  }

  // A number that FixedText(value, P, D) wrote.
  double Number(std::string_view text, int P, int D) const {
    const std::optional<double> value = ReadFixedText(text, P, D);
    if (!value || text.empty()) Fail("has " + Quoted(text) + " where a number belongs");
    return *value;
  }

  void InputSection(ResultFileContents& out) {
    for (int k = 0; k < kMainGroupFields; ++k) ValueLine(k, out);
    Expect(Trim(Next("inside the input section")).empty(), "is not the empty line after line 28");
    Expect(Trim(Next("inside the input section")) == kAdditionalDataLine,
           "is not \"--Additional Data for Donovan Model--\"");
    for (int k = kMainGroupFields; k < kFieldCount; ++k) ValueLine(k, out);
    Expect(Trim(Next("after the input section (the calculation did not finish)")).empty(),
           "is not the empty line after the input section");
    Expect(Trim(Next("after the input section (the calculation did not finish)")).empty(),
           "is not the empty line after the input section");
  }

  void ValueLine(int k, ResultFileContents& out) {
    const InputField& field = kFields[k];
    const std::string_view line = Next("inside the input section");
    const std::string_view name = QuantityName(field.sectionLabel);
    const std::size_t equals = line.find('=');
    if (!line.starts_with(name) || equals == std::string_view::npos) {
      Fail("is not \"" + std::string(name) + " = value\"");
    }
    const std::string_view text = Trim(line.substr(equals + 1));
    out.inputs.*field.member = Number(text, field.P, field.Dec);
    out.inputTexts[k] = std::string(text);
  }

  ResultRow TableRow() const {
    ResultRow row;
    std::string_view rest = Current();
    int count = 0;
    for (rest = Trim(rest); !rest.empty(); rest = Trim(rest)) {
      const std::string_view cell = rest.substr(0, rest.find(' '));
      if (count < kResultColumnCount) {
        const ResultColumn& column = kResultColumns[count];
        row.values.*column.value = Number(cell, column.width, column.decimals);
        row.cells[count] = std::string(cell);
      }
      ++count;
      rest.remove_prefix(cell.size());
    }
    if (count != kResultColumnCount) {
      Fail("is a table row of " + IntegerText(count) + " numbers instead of " +
           IntegerText(kResultColumnCount));
    }
    return row;
  }

  // Each summary line is a run of (text, number) pairs; whatever follows
  // the last number (a unit) is not checked.
  void SummaryLine(std::string_view line, int index, SummaryValues& summary) const {
    for (const SummaryItem& item : kSummaryItems) {
      if (item.line != index) continue;
      if (!line.starts_with(item.before))
        Fail("is not the summary line \"" + Lead(index) + "...\"");
      line.remove_prefix(std::string_view(item.before).size());
      const std::string_view number = line.substr(0, line.find_first_of(" ;)"));
      summary.*item.value = Number(number, item.P, item.D);
      line.remove_prefix(number.size());
    }
  }

  static std::string Lead(int index) {
    for (const SummaryItem& item : kSummaryItems) {
      if (item.line == index) return std::string(Trim(item.before));
    }
    return "";
  }

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
};

}  // namespace

std::string DisplayText(std::string_view fileText) {
  std::string text;
  for (std::size_t i = 0; i < fileText.size(); ++i) {
    const auto c = static_cast<unsigned char>(fileText[i]);
    if (c == 0x81 && i + 1 < fileText.size() &&
        static_cast<unsigned char>(fileText[i + 1]) == 0x8E) {
      text += "\u2103";
      ++i;
    } else {
      text += c < 128 ? static_cast<char>(c) : '?';
    }
  }
  return text;
}

ResultFileRead ParseResultFile(std::string_view bytes, const std::string& name) {
  try {
    ResultFileContents contents = Parser(bytes).Parse();
    contents.inputs.SaveFileName = name;
    return contents;
  } catch (const NotAResultFile& e) {
    return meltsim::Fail(FailureKind::WrongFormat, name + " is not a result file: " + e.reason);
  }
}

ResultFileRead ReadResultFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return meltsim::Fail(FailureKind::CannotOpen, path + " can not be opened");
  std::string bytes;
  std::vector<char> buffer(std::size_t{1} << 16);
  bool failed = false;
  for (;;) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file);
    bytes.append(buffer.data(), n);
    if (bytes.size() > kMaxResultFileBytes) break;
    if (n < buffer.size()) {
      failed = std::ferror(file) != 0;  // a directory fails here
      break;
    }
  }
  std::fclose(file);
  if (failed) return meltsim::Fail(FailureKind::CannotRead, path + " can not be read");
  if (bytes.size() > kMaxResultFileBytes) {
    return meltsim::Fail(FailureKind::WrongFormat,
                         path + " is not a result file: it is larger than any result file");
  }
  return ParseResultFile(bytes, path);
}

}  // namespace meltsim
