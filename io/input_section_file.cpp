#include "io/input_section_file.h"

#include <vector>

#include "io/data_file.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "io/text_lines.h"

namespace meltsim {

namespace {

constexpr std::size_t kMainGroupFields =
    28;  // value lines 1..28, then a blank and a separator line
constexpr std::size_t kSectionLines = 35;

bool Blank(std::string_view line) { return line.find_first_not_of(' ') == std::string_view::npos; }

InputSectionRead Refused(const std::string& name) {
  return Fail(FailureKind::WrongFormat, name + " is not an input section");
}

}  // namespace

InputSectionRead ParseInputSectionOnly(std::string_view bytes, const std::string& name) {
  const std::vector<std::string_view> lines = SplitLines(bytes);
  if (lines.size() < kSectionLines - 2) return Refused(name);
  for (std::size_t i = kSectionLines - 2; i < lines.size(); ++i) {
    if (!Blank(lines[i])) return Refused(name);
  }
  // The 31 value lines without the blank and the separator line form a data file.
  std::string values;
  for (std::size_t i = 0; i < kSectionLines - 4; ++i) {
    const std::size_t line = i < kMainGroupFields ? i : i + 2;
    values += std::string(lines[line]) + "\n";
  }
  const DataFileResult data = ParseDataFile(values, name);
  if (!data.has_value() || !Blank(lines[kMainGroupFields])) return Refused(name);
  ResultFileContents contents;
  for (int k = 0; k < kFieldCount; ++k) {
    const InputField& field = kFields[static_cast<std::size_t>(k)];
    const std::optional<double> value =
        ReadFixedText(data.value()[static_cast<std::size_t>(k)], field.P, field.Dec);
    if (!value) return Refused(name);
    contents.inputs.*field.member = *value;
  }
  contents.inputs.SaveFileName = name;
  // Only the writer's own layout counts: the same inputs give the same bytes.
  if (InputSectionText(contents.inputs) !=
      bytes.substr(0, InputSectionText(contents.inputs).size()))
    return Refused(name);
  contents.inputTexts = data.value();
  return contents;
}

}  // namespace meltsim
