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

Unexpected<Failure> WriteError(const std::string& path, int error) {
  return Fail(FailureKind::CannotWrite,
              "Can not write result file " + path + ": " + std::generic_category().message(error));
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

Expected<void> WriteFileBytes(const std::string& path, const std::string& bytes, bool append) {
  std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (file == nullptr) return Fail(FailureKind::CannotOpen, "Can not open " + path);

  // A full disk often shows only when the buffer is flushed or the file is
  // closed, so every one of the three steps is checked.
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    const int error = errno != 0 ? errno : EIO;
    std::fclose(file);
    return WriteError(path, error);
  }
  if (std::fclose(file) != 0) return WriteError(path, errno != 0 ? errno : EIO);
  return {};
}

Expected<void> WriteWholeFile(const std::string& path, const std::string& bytes,
                              const std::string& what) {
  if (Expected<void> written = WriteFileBytes(path, bytes, false); !written) {
    return Fail(written.error().kind, what + " " + path + " can not be written");
  }
  return {};
}

Failure WriteFailureAs(const Failure& failure, const std::string& cannotOpen) {
  if (failure.kind != FailureKind::CannotOpen) return failure;
  return Failure{FailureKind::CannotOpen, cannotOpen};
}

Expected<void> WriteInputSection(const InputData& in) {
  if (Expected<void> written = WriteFileBytes(in.SaveFileName, InputSectionText(in), false);
      !written) {
    return Unexpect(WriteFailureAs(written.error(), kFileCannotOpenMessage));
  }
  return {};
}

}  // namespace meltsim
