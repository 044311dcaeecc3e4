#include "web/core/js_values.h"

#include <emscripten/wire.h>

#include <stdexcept>

namespace meltsim::web {

std::string BytesOf(const val& array) {
  const auto size = array["length"].as<std::size_t>();
  std::string bytes(size, '\0');
  // A view on the string's own memory, filled by the JavaScript side; no
  // allocation happens between making the view and filling it.
  val view(emscripten::typed_memory_view(size, reinterpret_cast<unsigned char*>(bytes.data())));
  view.call<void>("set", array);
  return bytes;
}

val Uint8ArrayOf(const std::string& bytes) {
  const val view(emscripten::typed_memory_view(
      bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
  return val::global("Uint8Array").new_(view);  // a copy, independent of the module's memory
}

val StringArray(const std::vector<std::string>& texts) {
  val array = val::array();
  for (const std::string& text : texts) array.call<void>("push", text);
  return array;
}

std::vector<std::string> StringsOf(const val& array) {
  std::vector<std::string> texts;
  const auto size = array["length"].as<std::size_t>();
  texts.reserve(size);
  for (std::size_t i = 0; i < size; ++i) texts.push_back(array[i].as<std::string>());
  return texts;
}

FieldTexts FieldTextsOf(const val& array) {
  const std::vector<std::string> texts = StringsOf(array);
  if (texts.size() != static_cast<std::size_t>(kFieldCount)) {
    throw std::invalid_argument("expected " + std::to_string(kFieldCount) + " field texts, got " +
                                std::to_string(texts.size()));
  }
  FieldTexts fields;
  for (int i = 0; i < kFieldCount; ++i) fields[static_cast<std::size_t>(i)] = texts[i];
  return fields;
}

val OptionalText(bool present, const std::string& value) {
  return present ? val(value) : val::null();
}

}  // namespace meltsim::web
