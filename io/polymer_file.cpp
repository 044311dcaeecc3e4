#include "io/polymer_file.h"

#include <cstdint>
#include <fstream>
#include <optional>

#include "io/data_file.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"

namespace meltsim {

namespace {

constexpr std::string_view kNameKey = "Polymer";
constexpr std::uintmax_t kMaxPolymerFileBytes =
    1 << 20;  // 14 short lines; anything far larger is no polymer file

std::string_view Line(std::string_view bytes, std::size_t& at) {
  const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
  std::string_view line = bytes.substr(at, end - at);
  at = end < bytes.size() ? end + 1 : end;
  if (const std::size_t cr = line.find('\r'); cr != std::string_view::npos)
    line = line.substr(0, cr);
  return line;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The value of a "label = value ..." line by the data file rules: after the
// first "=", without leading blanks, up to the next blank.
std::optional<std::string> ValueOf(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string_view value = line.substr(equals + 1);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return std::string(value.substr(0, value.find(' ')));
}

std::string BaseName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
    name.resize(dot);
  return name;
}

const InputField& PolymerField(int k) {
  return kFields[static_cast<std::size_t>(kPolymerFirstField + k)];
}

PolymerFileRead Refused(const std::string& fileName, const std::string& reason,
                        FailureKind kind = FailureKind::WrongFormat) {
  return Fail(kind, "\"" + fileName + "\" is not a polymer file: " + reason);
}

PolymerFileRead FromDataFile(std::string_view bytes, const std::string& fileName) {
  const DataFileResult data = ParseDataFile(bytes, fileName);
  if (!data.has_value()) {
    return Refused(fileName,
                   "its first line is not \"Polymer = NAME\" and it is no data file either");
  }
  return PolymerFile{PolymerOfFields(data.value(), BaseName(fileName)), true};
}

}  // namespace

Polymer DefaultPolymer() { return PolymerOfFields(DefaultFieldTexts(), kDefaultPolymerName); }

bool HasDefaultValues(const Polymer& polymer) { return polymer.texts == DefaultPolymer().texts; }

Polymer PolymerOfFields(const FieldTexts& texts, const std::string& name) {
  Polymer polymer;
  polymer.name = name;
  for (int k = 0; k < kPolymerFieldCount; ++k)
    polymer.texts[static_cast<std::size_t>(k)] =
        texts[static_cast<std::size_t>(kPolymerFirstField + k)];
  return polymer;
}

void PutPolymer(const Polymer& polymer, FieldTexts& texts) {
  for (int k = 0; k < kPolymerFieldCount; ++k)
    texts[static_cast<std::size_t>(kPolymerFirstField + k)] =
        polymer.texts[static_cast<std::size_t>(k)];
}

Expected<void> CheckPolymer(const Polymer& polymer) {
  InputData in = DefaultInputData();
  for (int k = 0; k < kPolymerFieldCount; ++k) {
    const std::string& text = polymer.texts[static_cast<std::size_t>(k)];
    const std::optional<double> value = ConvertNumber(text);
    if (!value) {
      return Fail(FailureKind::BadValue,
                  std::string(PolymerField(k).symbol) + " (line " +
                      IntegerText(kPolymerFirstField + k + 1) + "): \"" + text +
                      "\" is not a number",
                  kPolymerFirstField + k);
    }
    in.*PolymerField(k).member = *value;
  }
  return CheckInputs(in);
}

std::string PolymerFileText(const Polymer& polymer) {
  const std::string name = polymer.name.substr(0, polymer.name.find_first_of("\r\n"));
  std::string text = std::string(kNameKey) + " = " + std::string(TrimBlanks(name)) + "\r\n";
  for (int k = 0; k < kPolymerFieldCount; ++k) {
    text += PolymerField(k).sectionLabel;
    text += TrimBlanks(polymer.texts[static_cast<std::size_t>(k)]);
    text += "\r\n";
  }
  return text;
}

PolymerFileRead ParsePolymerFile(std::string_view bytes, const std::string& fileName) {
  std::size_t at = 0;
  const std::string_view first = Line(bytes, at);
  const std::size_t equals = first.find('=');
  if (equals == std::string_view::npos || TrimBlanks(first.substr(0, equals)) != kNameKey)
    return FromDataFile(bytes, fileName);
  PolymerFile read;
  read.polymer.name = std::string(TrimBlanks(first.substr(equals + 1)));
  for (int k = 0; k < kPolymerFieldCount; ++k) {
    const std::optional<std::string> value = ValueOf(Line(bytes, at));
    if (!value) {
      return Refused(fileName, "line " + IntegerText(k + 2) + " (" + PolymerField(k).symbol +
                                   ") has no \"=\"");
    }
    read.polymer.texts[static_cast<std::size_t>(k)] = *value;
  }
  return read;
}

PolymerFileRead ReadPolymerFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Refused(path, "it can not be opened", FailureKind::CannotOpen);
  std::string bytes;
  bytes.resize(kMaxPolymerFileBytes + 1);
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  if (file.bad()) return Refused(path, "it can not be read", FailureKind::CannotRead);
  return ParsePolymerFile(bytes, path);
}

Expected<void> WritePolymerFile(const std::string& path, const Polymer& polymer) {
  for (const std::string& text : polymer.texts) {
    if (TrimBlanks(text).find_first_of(" \r\n") != std::string_view::npos) {
      return Fail(FailureKind::BadValue, "The polymer value \"" + text +
                                             "\" has a blank inside; correct it and save again.");
    }
  }
  return WriteWholeFile(path, PolymerFileText(polymer), "Polymer file");
}

std::vector<int> PolymerLinesDiffering(const FieldTexts& dataFile, const FieldTexts& fields) {
  std::vector<int> lines;
  for (int k = kPolymerFirstField; k < kPolymerFirstField + kPolymerFieldCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (dataFile[i] != fields[i]) lines.push_back(k + 1);
  }
  return lines;
}

}  // namespace meltsim
