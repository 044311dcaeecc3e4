// Data files: 31 labelled lines "label = value ...", as written by hand or
// taken from the input section of a result file.
#pragma once

#include <string>
#include <string_view>

#include "model/expected.h"
#include "model/input_data.h"

namespace meltsim {

constexpr const char* kDataFileCannotOpenMessage = "Data file can not open!";
constexpr const char* kSelectOneDataFileMessage = "Select one data file! Please try again.";

// The value text of each line (value k of line k), or why the file was
// refused: CannotOpen "Data file can not open!", WrongFormat "\"<name>\" is
// not a correct data file!".
using DataFileResult = Expected<FieldTexts>;

// Applies the data file rules to the first 31 lines of `bytes` (CR LF or LF
// line ends; missing lines read as empty). Every line needs an "="; the value
// is the text after the first "=", without leading blanks, up to the next
// blank. When a line has no "=" the result carries the message
// "\"<fileName>\" is not a correct data file!".
DataFileResult ParseDataFile(std::string_view bytes, const std::string& fileName);

// Reads the first 31 lines of the file at `path` and parses them; a file that
// cannot be opened or read gives "Data file can not open!".
DataFileResult ReadDataFile(const std::string& path);

}  // namespace meltsim
