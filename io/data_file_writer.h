// Writing a data file: the inputs as the window's fields hold them, in the
// form that "Read Data File" reads back.
#pragma once

#include <string>

#include "model/input_data.h"

namespace meltsim {

// The window label of a field without its padding and colon, to name the
// field in messages: "Screw Diameter (cm)".
std::string FieldName(const InputField& field);

struct DataFileBytes {
  bool ok = false;
  std::string bytes;    // the file's content, when ok
  std::string message;  // why the texts cannot be written, when not ok
};

// The 31 value lines of the input section: each the field's result file
// label followed by its text, CR LF. Blanks around a text are dropped (the
// reader drops them too). A text that keeps a blank inside, or holds a line
// break, would not read back as typed: it is refused with a message that
// names the field.
DataFileBytes DataFileText(const FieldTexts& texts);

// Writes DataFileText(texts) to `path`, creating or emptying the file.
// Returns the message to show, or an empty text when the file was written.
std::string WriteDataFile(const std::string& path, const FieldTexts& texts);

}  // namespace meltsim
