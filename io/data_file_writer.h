// Writing a data file: the inputs as the window's fields hold them, in the
// form that "Read Data File" reads back.
#pragma once

#include <string>

#include "model/expected.h"
#include "model/input_data.h"

namespace meltsim {

// The window label of a field without its padding and colon, to name the
// field in messages: "Screw Diameter (cm)".
std::string FieldName(const InputField& field);

// The 31 value lines of the input section: each the field's result file
// label followed by its text, CR LF. Blanks around a text are dropped (the
// reader drops them too). A text that keeps a blank inside, or holds a line
// break, would not read back as typed: it is refused (BadValue) with a
// message that names the field.
Expected<std::string> DataFileText(const FieldTexts& texts);

// Writes DataFileText(texts) to `path`, creating or emptying the file; a
// file that cannot be written fails with "Data file PATH can not be written".
Expected<void> WriteDataFile(const std::string& path, const FieldTexts& texts);

}  // namespace meltsim
