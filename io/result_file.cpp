// The input section of the result file, and the one routine that puts bytes
// into a result file.
#include "io/result_file.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "io/number_text.h"

namespace meltsim {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr int kMainGroupFields = 28;  // the fields of the group "Input Data"

void AppendValueLine(std::string& text, const InputData& in, const InputField& field) {
  text += field.sectionLabel;
  text += FixedText(in.*field.member, field.P, field.Dec);
  text += kLineEnd;
}

[[noreturn]] void ThrowWriteError(const std::string& path, int error) {
  throw FileWriteError("Can not write result file " + path + ": " +
                       std::generic_category().message(error));
}

}  // namespace

std::string InputSectionText(const InputData& in) {
  std::string text;
  for (int i = 0; i < kMainGroupFields; ++i) AppendValueLine(text, in, kFields[i]);
  text += kLineEnd;
  text += "--Additional Data for Donovan Model--";
  text += kLineEnd;
  for (int i = kMainGroupFields; i < kFieldCount; ++i) AppendValueLine(text, in, kFields[i]);
  text += kLineEnd;
  text += kLineEnd;
  return text;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, bool append) {
  std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (file == nullptr) return false;

  // A full disk often shows only when the buffer is flushed or the file is
  // closed, so every one of the three steps is checked.
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    const int error = errno != 0 ? errno : EIO;
    std::fclose(file);
    ThrowWriteError(path, error);
  }
  if (std::fclose(file) != 0) ThrowWriteError(path, errno != 0 ? errno : EIO);
  return true;
}

bool WriteInputSection(const InputData& in, MessageSink& messages) {
  if (!WriteFileBytes(in.SaveFileName, InputSectionText(in), false)) {
    messages.ShowMessage(kFileCannotOpenMessage);
    return false;
  }
  return true;
}

}  // namespace meltsim
