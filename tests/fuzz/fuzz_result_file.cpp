// The result file readers on any bytes: the whole file (input section,
// table, summary) and the file of a calculation that did not finish (the
// input section alone). Besides not failing:
// - the reader accepts only what it can give back: the numbers it read,
//   written again by the result file writers, read again, written again,
//   give the same bytes, and the second reading is accepted too;
// - no bytes are both a finished and an unfinished result file;
// - the display text of any bytes is ASCII or the degree sign in UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/input_section_file.h"
#include "io/result_file.h"
#include "io/result_file_reader.h"
#include "model/sim_state.h"

namespace meltsim::fuzz {
namespace {

// The result file that the writers give for what was read: the input
// section from the inputs, the table from the rows and the summary from
// the summary numbers (SBAP in the summary as it was read there).
std::string Rewritten(const ResultFileContents& read) {
  SimState s;
  for (const ResultRow& row : read.rows) s.StepResults.push_back(row.values);
  s.NSTEP = static_cast<int>(read.rows.size());
  const SummaryValues& v = read.summary;
  s.PTOTAL = v.PTOTAL;
  s.PTOT = v.PTOT;
  s.PVIS = v.PVIS;
  s.PPRE = v.PPRE;
  s.PSCREW = v.PSCREW;
  s.VSZ0 = v.VSZ0;
  s.VSZ = v.VSZ;
  s.TAVM = v.TAVM;
  s.TSAVSTEP = v.TSAVSTEP;
  s.QSQT = v.QSQT;
  InputData summaryInputs = read.inputs;
  summaryInputs.SBAP = v.SBAP;
  return InputSectionText(read.inputs) + ResultsSectionText(summaryInputs, s);
}

bool IsDisplayText(std::string_view text) {
  constexpr std::string_view kDegree = "\u2103";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, kDegree.size()) == kDegree) {
      i += kDegree.size() - 1;
    } else if (static_cast<unsigned char>(text[i]) >= 128) {
      return false;
    }
  }
  return true;
}

}  // namespace

void FuzzOne(std::string_view bytes) {
  FUZZ_CHECK(IsDisplayText(DisplayText(bytes)), "display text not ASCII");

  const ResultFileRead read = ParseResultFile(bytes, "fuzz.txt");
  const InputSectionRead section = ParseInputSectionOnly(bytes, "fuzz.txt");
  FUZZ_CHECK(!(read && section), "a finished and an unfinished result file at once");
  if (section) {
    const std::string text = InputSectionText(section->inputs);
    const InputSectionRead again = ParseInputSectionOnly(text, "again.txt");
    FUZZ_CHECK(again.has_value(), "an input section written again is refused");
    FUZZ_CHECK(InputSectionText(again->inputs) == text, "input section not stable");
  } else {
    FUZZ_CHECK(section.error().kind == FailureKind::WrongFormat, section.error().message);
  }
  if (!read) {
    FUZZ_CHECK(read.error().kind == FailureKind::WrongFormat, read.error().message);
    FUZZ_CHECK(read.error().message.starts_with("fuzz.txt is not a result file: "),
               read.error().message);
    return;
  }

  const std::string once = Rewritten(*read);
  const ResultFileRead again = ParseResultFile(once, "again.txt");
  FUZZ_CHECK(again.has_value(), "written again and refused: " + again.error().message);
  FUZZ_CHECK(again->rows.size() == read->rows.size(), "rows lost");
  const std::string twice = Rewritten(*again);
  FUZZ_CHECK(twice == once, "written twice differently: " + Shown(twice));
}

}  // namespace meltsim::fuzz
