// The values the page and the core hand each other: bytes as Uint8Array
// (the result file's degree sign is the two bytes 0x81 0x8E, which no
// JavaScript string would keep), texts as arrays of strings, objects built
// member by member.
#pragma once

#include <emscripten/val.h>

#include <array>
#include <string>
#include <vector>

#include "model/input_data.h"

namespace meltsim::web {

using emscripten::val;

// The bytes of a Uint8Array (or of any array of numbers 0 to 255).
std::string BytesOf(const val& array);

// A new Uint8Array holding a copy of `bytes`.
val Uint8ArrayOf(const std::string& bytes);

// A JavaScript array of strings; UTF-8 texts.
val StringArray(const std::vector<std::string>& texts);

template <std::size_t N>
val StringArray(const std::array<std::string, N>& texts) {
  return StringArray(std::vector<std::string>(texts.begin(), texts.end()));
}

// The strings of a JavaScript array.
std::vector<std::string> StringsOf(const val& array);

// The 31 field texts of a JavaScript array; throws std::invalid_argument
// unless it holds exactly 31.
FieldTexts FieldTextsOf(const val& array);

// `value` or null.
val OptionalText(bool present, const std::string& value);

}  // namespace meltsim::web
