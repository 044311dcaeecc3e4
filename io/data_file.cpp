// Data files: the values of the first 31 lines, each taken from behind the
// line's first "=".
#include "io/data_file.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace meltsim {

namespace {

// A value keeps at most this many bytes. A longer text could only be a
// number padded with thousands of digits (a double carries 17 significant
// ones); it is cut there and ends in "...", which no number text contains,
// so a cut value always fails conversion rather than becoming another number.
constexpr std::size_t kMaxValueBytes = 4096;
constexpr const char* kCutMark = "...";

// Reading stops after this many bytes even when 31 lines have not ended by
// then (an endless device, or a file that is no data file at all): the file
// is taken as far as it was read, a value still running there counts as cut.
constexpr std::uint64_t kMaxDataFileBytes = std::uint64_t{256} << 20;
constexpr std::size_t kReadChunkBytes = std::size_t{1} << 16;

// Takes the bytes of a file piece by piece and keeps, for each of the first
// 31 lines, whether it holds "=" and its value. A line ends at LF (so CR LF
// ends it too); its text ends at its first CR or LF, so anything between a
// CR and the next LF is not part of it. Memory stays bounded whatever the
// length of a line.
class DataLineScanner {
 public:
  // Returns true once 31 lines have ended: the rest of the file is not needed.
  bool Feed(std::string_view piece) {
    std::size_t i = 0;
    while (i < piece.size() && line_ < kFieldCount) i = Step(piece, i);
    return line_ >= kFieldCount;
  }

  // The input ends in the middle of a line although the file goes on.
  void Interrupt() {
    if (line_ < kFieldCount && phase_ == Phase::Value) cut_[line_] = true;
  }

  // Lines that never ended or never began read as far as they got, the
  // missing ones as empty lines.
  DataFileResult Finish(const std::string& fileName) const {
    for (int k = 0; k < kFieldCount; ++k) {
      if (!hasEquals_[k]) {
        return Fail(FailureKind::WrongFormat, "\"" + fileName + "\" is not a correct data file!");
      }
    }
    FieldTexts values = values_;
    for (int k = 0; k < kFieldCount; ++k) {
      if (cut_[k]) values[k] += kCutMark;
    }
    return values;
  }

 private:
  enum class Phase {
    Label,   // before the first "="
    Blanks,  // blanks right after the "="
    Value,   // the value, up to the next blank
    Rest,    // ignored up to the end of the line
  };

  // Handles the byte at `i` (and any run of ignored bytes after it); returns
  // the index of the next byte to look at.
  std::size_t Step(std::string_view piece, std::size_t i) {
    const char c = piece[i];
    if (c == '\n') {
      ++line_;
      phase_ = Phase::Label;
      return i + 1;
    }
    if (c == '\r') {
      phase_ = Phase::Rest;
      return i + 1;
    }
    switch (phase_) {
      case Phase::Label:
        if (c == '=') {
          hasEquals_[line_] = true;
          phase_ = Phase::Blanks;
          return i + 1;
        }
        return SkipLabel(piece, i);
      case Phase::Blanks:
        if (c != ' ') {
          phase_ = Phase::Value;
          Append(c);
        }
        return i + 1;
      case Phase::Value:
        if (c == ' ') {
          phase_ = Phase::Rest;
        } else {
          Append(c);
        }
        return i + 1;
      case Phase::Rest:
        return SkipToLineEnd(piece, i);
    }
    return i + 1;
  }

  // Index of the next byte that can end the label: "=", CR or LF.
  static std::size_t SkipLabel(std::string_view piece, std::size_t i) {
    while (i < piece.size() && piece[i] != '=' && piece[i] != '\r' && piece[i] != '\n') ++i;
    return i;
  }

  static std::size_t SkipToLineEnd(std::string_view piece, std::size_t i) {
    const std::size_t next = piece.find('\n', i);
    return next == std::string_view::npos ? piece.size() : next;
  }

  void Append(char c) {
    std::string& value = values_[line_];
    if (value.size() < kMaxValueBytes) {
      value += c;
    } else {
      cut_[line_] = true;
    }
  }

  int line_ = 0;
  Phase phase_ = Phase::Label;
  std::array<bool, kFieldCount> hasEquals_{};
  std::array<bool, kFieldCount> cut_{};
  FieldTexts values_;
};

DataFileResult CannotOpen() { return Fail(FailureKind::CannotOpen, kDataFileCannotOpenMessage); }

}  // namespace

DataFileResult ParseDataFile(std::string_view bytes, const std::string& fileName) {
  DataLineScanner scanner;
  scanner.Feed(bytes);
  return scanner.Finish(fileName);
}

DataFileResult ReadDataFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return CannotOpen();

  DataLineScanner scanner;
  std::vector<char> buffer(kReadChunkBytes);
  bool failed = false;
  bool ended = false;
  for (std::uint64_t total = 0; !ended && total < kMaxDataFileBytes; total += buffer.size()) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file);
    ended = scanner.Feed(std::string_view(buffer.data(), n));
    if (!ended && n < buffer.size()) {
      failed = std::ferror(file) != 0;  // a directory fails here too
      ended = true;
    }
  }
  if (!ended) scanner.Interrupt();
  std::fclose(file);
  if (failed) return CannotOpen();
  return scanner.Finish(path);
}

}  // namespace meltsim
