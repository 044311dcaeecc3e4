// What a fuzz target uses besides the code it reads: a property check that
// ends the process (so that libFuzzer keeps the input and the test fails),
// and the one function each target defines, which fuzz_entry.cpp calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace meltsim::fuzz {

[[noreturn]] inline void PropertyFailed(const char* condition, const std::string& detail,
                                        const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n  %s\n", file, line, condition, detail.c_str());
  std::abort();
}

// The target's checks of one input, given as text (any bytes).
void FuzzOne(std::string_view bytes);

// A text for a message: at most 200 bytes, other bytes than printable ASCII
// as '?'.
inline std::string Shown(std::string_view text) {
  std::string shown = "\"";
  for (std::size_t i = 0; i < text.size() && i < 200; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    shown += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
  }
  return shown + (text.size() > 200 ? "...\"" : "\"");
}

}  // namespace meltsim::fuzz

// Checks a property of the code under test; on failure prints the condition
// and `detail` (a std::string) and aborts.
#define FUZZ_CHECK(condition, detail)                                                          \
  do {                                                                                         \
    if (!(condition)) ::meltsim::fuzz::PropertyFailed(#condition, detail, __FILE__, __LINE__); \
  } while (false)
