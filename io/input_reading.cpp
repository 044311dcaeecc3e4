#include "io/input_reading.h"

#include <stdexcept>

#include "io/number_text.h"

namespace meltsim {

std::optional<InputProblem> ReadAndCheck(const FieldTexts& texts, const std::string& saveFileName,
                                         InputData& out) {
  // Each member takes its value at once, so a failure leaves the members
  // before it new and the rest (and the save file name) as they were.
  for (int i = 0; i < kFieldCount; ++i) {
    const std::optional<double> v = ConvertNumber(texts[i]);
    if (!v) return InputProblem{i, kConversionFailedMessage};
    out.*kFields[i].member = *v;
  }
  out.SaveFileName = saveFileName;
  return CheckInputs(out);
}

InputData DefaultInputData() {
  InputData in;
  if (const std::optional<InputProblem> problem =
          ReadAndCheck(DefaultFieldTexts(), kDefaultSaveFileName, in)) {
    throw std::logic_error("default inputs rejected: " + problem->message);
  }
  return in;
}

}  // namespace meltsim
