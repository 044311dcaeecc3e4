// Writing the result file: the input section creates it, the results
// section is appended to it.
#pragma once

#include <string>

#include "model/expected.h"
#include "model/input_data.h"
#include "model/sim_state.h"

namespace meltsim {

constexpr const char* kFileCannotOpenMessage = "File can not open!";
constexpr const char* kCannotWriteResultMessage = "Can not write result to file";

// The 35 lines of the input section, CR LF line ends, as bytes.
std::string InputSectionText(const InputData& in);

// Creates (or empties) the file named in.SaveFileName and writes the input
// section. Fails with "File can not open!" (CannotOpen) when the file cannot
// be created, or with what went wrong (CannotWrite) when a write fails.
Expected<void> WriteInputSection(const InputData& in);

// The results section (table and summary), CR LF line ends, as bytes.
std::string ResultsSectionText(const InputData& in, const SimState& s);

// Appends the results section to the file named in.SaveFileName. Fails with
// "Can not write result to file" (CannotOpen) when the file is gone or cannot
// be opened for appending, or with what went wrong (CannotWrite).
Expected<void> WriteResults(const InputData& in, const SimState& s);

// Writes `bytes` to `path`, creating or emptying it (append=false) or
// appending (append=true). Fails with CannotOpen when the file cannot be
// opened (the message names the path), and with CannotWrite when writing,
// flushing or closing fails ("Can not write result file PATH: the reason").
Expected<void> WriteFileBytes(const std::string& path, const std::string& bytes, bool append);

// Writes `bytes` to `path`, creating or emptying it; fails, of the kind of
// what went wrong, with "<what> PATH can not be written" (what: "Data file").
Expected<void> WriteWholeFile(const std::string& path, const std::string& bytes,
                              const std::string& what);

// The failure of writing a file of `what` to `path`, in the words of the
// user's task: a file that cannot be opened is `cannotOpen`; a write that
// failed keeps its own words.
Failure WriteFailureAs(const Failure& failure, const std::string& cannotOpen);

}  // namespace meltsim
