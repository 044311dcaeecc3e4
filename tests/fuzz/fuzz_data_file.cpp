// The data file reader on any bytes. Besides not failing, it must agree with
// a plain reading of the data file rules (line by line, written here
// without the reader's streaming scanner) and with itself reading a file in
// pieces; a file it takes must write back as a data file that reads to the
// same values, and the input checks must take whatever values it gives.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/input_reading.h"

namespace meltsim::fuzz {
namespace {

constexpr std::size_t kMaxValueBytes = 4096;  // longer values are cut and end in "..."

struct PlainRead {
  bool ok = true;
  FieldTexts values;
};

// The rules as the format states them: line k is the text before the first
// CR or LF of the k-th line; it needs an "="; its value is what follows the
// first "=", without leading blanks, up to the next blank.
PlainRead ReadPlainly(std::string_view bytes) {
  PlainRead read;
  for (int k = 0; k < kFieldCount; ++k) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    line = line.substr(0, line.find('\r'));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      read.ok = false;
      return read;
    }
    std::string_view value = line.substr(equals + 1);
    value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
    value = value.substr(0, value.find(' '));
    read.values[k] = value.size() > kMaxValueBytes
                         ? std::string(value.substr(0, kMaxValueBytes)) + "..."
                         : std::string(value);
  }
  return read;
}

// ReadDataFile takes a file in pieces of 64 KiB. The bytes, put behind a
// first line long enough for them to straddle the end of the first piece,
// must read from the file as ParseDataFile reads the same file from memory.
// The file lies in memory where the system has such a folder.
void CheckReadInPieces(std::string_view bytes) {
  constexpr std::size_t kPieceBytes = std::size_t{1} << 16;
  const std::string firstLine = "padding = 0 ";  // its value, then ignored text
  const std::size_t before = firstLine.size() + 1 + bytes.size() / 2;  // up to the middle
  std::string file = firstLine + std::string(kPieceBytes - std::min(before, kPieceBytes), 'x');
  file += "\n";
  file += bytes;
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
  const std::string path =
      (folder / ("meltsim-fuzz-data-file-" + std::to_string(getpid()) + ".txt")).string();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(out != nullptr, "cannot write " + path);
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  FUZZ_CHECK(std::fclose(out) == 0 && written, "cannot write " + path);
  const DataFileResult fromFile = ReadDataFile(path);
  std::remove(path.c_str());
  const DataFileResult fromMemory = ParseDataFile(file, path);
  const auto message = [](const DataFileResult& r) { return r ? "" : r.error().message; };
  FUZZ_CHECK(
      fromFile.has_value() == fromMemory.has_value() && message(fromFile) == message(fromMemory),
      "read from the file: " + message(fromFile));
  FUZZ_CHECK(!fromFile || fromFile.value() == fromMemory.value(), "values read in pieces differ");
}

}  // namespace

void FuzzOne(std::string_view bytes) {
  const DataFileResult read = ParseDataFile(bytes, "fuzz.txt");
  const PlainRead plain = ReadPlainly(bytes);
  CheckReadInPieces(bytes);
  FUZZ_CHECK(read.has_value() == plain.ok, "taken by one reading only");
  if (!read.has_value()) {
    FUZZ_CHECK(read.error().message == "\"fuzz.txt\" is not a correct data file!",
               read.error().message);
    return;
  }
  for (int k = 0; k < kFieldCount; ++k) {
    FUZZ_CHECK(read.value()[k] == plain.values[k], "line " + std::to_string(k + 1) + ": " +
                                                       Shown(read.value()[k]) + " against " +
                                                       Shown(plain.values[k]));
  }

  const Expected<std::string> written = DataFileText(read.value());
  FUZZ_CHECK(written.has_value(), written.error().message);
  const DataFileResult again = ParseDataFile(*written, "fuzz.txt");
  FUZZ_CHECK(again.has_value() && again.value() == read.value(), "written back, read otherwise");

  InputData inputs;
  const Expected<void> checked = ReadAndCheck(read.value(), "fuzz-result.txt", inputs);
  FUZZ_CHECK(checked || !checked.error().message.empty(), "a refusal without a message");
}

}  // namespace meltsim::fuzz
