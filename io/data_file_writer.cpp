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

DataFileBytes DataFileText(const FieldTexts& texts) {
  DataFileBytes out;
  for (int k = 0; k < kFieldCount; ++k) {
    const std::string_view text = TrimBlanks(texts[k]);
    if (text.find_first_of(" \r\n") != std::string_view::npos) {
      out.message = "The text of " + FieldName(kFields[k]) + " (\"" + std::string(text) +
                    "\") has a blank or a line break inside; a data file keeps a value only "
                    "up to its first blank. Correct the field and save again.";
      out.bytes.clear();
      return out;
    }
    out.bytes += kFields[k].sectionLabel;
    out.bytes += text;
    out.bytes += "\r\n";
  }
  out.ok = true;
  return out;
}

std::string WriteDataFile(const std::string& path, const FieldTexts& texts) {
  const DataFileBytes data = DataFileText(texts);
  if (!data.ok) return data.message;
  const std::string failed = "Data file " + path + " can not be written";
  try {
    if (!WriteFileBytes(path, data.bytes, false)) return failed;
  } catch (const FileWriteError&) {
    return failed;  // a full disk or an I/O error after the file was created
  }
  return "";
}

}  // namespace meltsim
