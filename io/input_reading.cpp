#include "io/input_reading.h"

#include "io/number_text.h"

namespace meltsim {

std::optional<std::string> ReadAndCheck(const FieldTexts& texts, const std::string& saveFileName,
                                        InputData& out) {
  // Each member takes its value at once, so a failure leaves the members
  // before it new and the rest (and the save file name) as they were.
  for (int i = 0; i < kFieldCount; ++i) {
    const std::optional<double> v = ConvertNumber(texts[i]);
    if (!v) return std::string(kConversionFailedMessage);
    out.*kFields[i].member = *v;
  }
  out.SaveFileName = saveFileName;
  return CheckInputs(out);
}

}  // namespace meltsim
