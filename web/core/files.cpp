#include "web/core/files.h"

#include <stdexcept>

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/polymer_file.h"
#include "web/core/js_values.h"

namespace meltsim::web {

namespace {

Polymer PolymerOf(const std::string& name, const val& texts) {
  const std::vector<std::string> values = StringsOf(texts);
  if (values.size() != static_cast<std::size_t>(kPolymerFieldCount))
    throw std::invalid_argument("a polymer has " + std::to_string(kPolymerFieldCount) + " values");
  Polymer polymer;
  polymer.name = name;
  for (int k = 0; k < kPolymerFieldCount; ++k)
    polymer.texts[static_cast<std::size_t>(k)] = values[static_cast<std::size_t>(k)];
  return polymer;
}

val IntArray(const std::vector<int>& values) {
  val array = val::array();
  for (int value : values) array.call<void>("push", value);
  return array;
}

}  // namespace

val ReadDataFile(const val& bytes, const std::string& fileName, const val& currentTexts) {
  const DataFileResult data = ParseDataFile(BytesOf(bytes), fileName);
  val v = val::object();
  v.set("ok", data.has_value());
  v.set("message", data ? std::string() : data.error().message);
  v.set("values", data.has_value() ? StringArray(data.value()) : val::array());
  v.set("polymerLinesDiffering",
        data.has_value() ? IntArray(PolymerLinesDiffering(data.value(), FieldTextsOf(currentTexts)))
                         : val::array());
  return v;
}

val SaveDataFile(const val& texts) {
  const Expected<std::string> data = DataFileText(FieldTextsOf(texts));
  val v = val::object();
  v.set("ok", data.has_value());
  v.set("message", data ? std::string() : data.error().message);
  v.set("bytes", data ? Uint8ArrayOf(*data) : val::null());
  return v;
}

val ReadPolymerFile(const val& bytes, const std::string& fileName) {
  const PolymerFileRead read = ParsePolymerFile(BytesOf(bytes), fileName);
  val v = val::object();
  v.set("ok", read.has_value());
  v.set("message", read ? std::string() : read.error().message);
  v.set("name", read ? read->polymer.name : std::string());
  v.set("texts", read ? StringArray(read->polymer.texts) : val::array());
  v.set("fromDataFile", read && read->fromDataFile);
  return v;
}

val PolymerFileBytes(const std::string& name, const val& texts) {
  return Uint8ArrayOf(PolymerFileText(PolymerOf(name, texts)));
}

val CheckPolymer(const std::string& name, const val& texts) {
  const Expected<void> checked = meltsim::CheckPolymer(PolymerOf(name, texts));
  return checked ? val::null() : val(checked.error().message);
}

bool IsDefaultPolymer(const val& texts) { return HasDefaultValues(PolymerOf("", texts)); }

}  // namespace meltsim::web
