// Which field an input message is about, so that the window can focus and
// mark it: the first field whose text does not convert, or the field of the
// check that failed.
#pragma once

#include <optional>
#include <string>

#include "model/input_data.h"

namespace meltsim {

// The index into kFields of the field that `message` (the run command's
// input message for `texts`) names: for "Input value is not correct!" the
// first text that does not convert, for a check's message its field.
// Nothing for any other message (the save file name, a file error).
std::optional<int> FieldOfInputMessage(const FieldTexts& texts, const std::string& message);

}  // namespace meltsim
