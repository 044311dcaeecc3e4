// Writing a data file from the field texts.
#include "io/data_file_writer.h"

#include <string_view>

#include "io/result_file.h"

namespace meltsim {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string FieldName(const InputField& field) {
  std::string_view label = TrimBlanks(field.windowLabel);
  if (!label.empty() && label.back() == ':') label.remove_suffix(1);
  return std::string(TrimBlanks(label));
}

Expected<std::string> DataFileText(const FieldTexts& texts) {
  std::string bytes;
  for (int k = 0; k < kFieldCount; ++k) {
    const std::string_view text = TrimBlanks(texts[k]);
    if (text.find_first_of(" \r\n") != std::string_view::npos) {
      return Fail(FailureKind::BadValue,
                  "The text of " + FieldName(kFields[k]) + " (\"" + std::string(text) +
                      "\") has a blank or a line break inside; a data file keeps a value only "
                      "up to its first blank. Correct the field and save again.",
                  k);
    }
    bytes += kFields[k].sectionLabel;
    bytes += text;
    bytes += "\r\n";
  }
  return bytes;
}

Expected<void> WriteDataFile(const std::string& path, const FieldTexts& texts) {
  const Expected<std::string> bytes = DataFileText(texts);
  if (!bytes) return Unexpect(bytes.error());
  // A file that cannot be created, a full disk or an I/O error after it was.
  return WriteWholeFile(path, *bytes, "Data file");
}

}  // namespace meltsim
