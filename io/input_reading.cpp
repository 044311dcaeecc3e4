#include "io/input_reading.h"

#include <stdexcept>

#include "io/number_text.h"

namespace meltsim {

Expected<void> ReadAndCheck(const FieldTexts& texts, const std::string& saveFileName,
                            InputData& out) {
  // Each member takes its value at once, so a failure leaves the members
  // before it new and the rest (and the save file name) as they were.
  for (int i = 0; i < kFieldCount; ++i) {
    const std::optional<double> v = ConvertNumber(texts[i]);
    if (!v) return Fail(FailureKind::BadValue, kConversionFailedMessage, i);
    out.*kFields[i].member = *v;
  }
  out.SaveFileName = saveFileName;
  return CheckInputs(out);
}

InputData DefaultInputData() {
  InputData in;
  if (const Expected<void> checked = ReadAndCheck(DefaultFieldTexts(), kDefaultSaveFileName, in);
      !checked) {
    throw std::logic_error("default inputs rejected: " + checked.error().message);
  }
  return in;
}

}  // namespace meltsim
