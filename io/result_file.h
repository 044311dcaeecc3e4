// Writing the result file: the input section creates it, the results
// section is appended to it.
#pragma once

#include <stdexcept>
#include <string>

#include "model/input_data.h"
#include "model/messages.h"
#include "model/sim_state.h"

namespace meltsim {

constexpr const char* kFileCannotOpenMessage = "File can not open!";
constexpr const char* kCannotWriteResultMessage = "Can not write result to file";

// A write to a result file that was opened failed (full disk, I/O error).
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The 35 lines of the input section, CR LF line ends, as bytes.
std::string InputSectionText(const InputData& in);

// Creates (or empties) the file named in.SaveFileName and writes the input
// section. Returns false after showing "File can not open!" when the file
// cannot be created; throws FileWriteError when a write fails.
bool WriteInputSection(const InputData& in, MessageSink& messages);

// The results section (table and summary), CR LF line ends, as bytes.
std::string ResultsSectionText(const InputData& in, const SimState& s);

// Appends the results section to the file named in.SaveFileName.
// Returns false after showing "Can not write result to file" when the file
// cannot be opened for appending; throws FileWriteError when a write fails.
bool WriteResults(const InputData& in, const SimState& s, MessageSink& messages);

// Writes `bytes` to `path`, creating or emptying it (append=false) or
// appending (append=true). Returns false when the file cannot be opened;
// throws FileWriteError when writing or closing fails.
bool WriteFileBytes(const std::string& path, const std::string& bytes, bool append);

}  // namespace meltsim
