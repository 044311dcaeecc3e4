// Field texts in, a checked input set out: the conversion of every field
// by the input grammar, then the checks of the input set.
#pragma once

#include <optional>
#include <string>

#include "model/input_data.h"

namespace meltsim {

// Converts the 31 texts into `out` (member by member, stopping at the first
// failure), takes the save file name and runs the checks in their order.
// Refuses with what to show (a text that does not convert is "Input value is
// not correct!" with its field), or the inputs may be used.
Expected<void> ReadAndCheck(const FieldTexts& texts, const std::string& saveFileName,
                            InputData& out);

// The input set made of the default texts (always valid).
InputData DefaultInputData();

}  // namespace meltsim
