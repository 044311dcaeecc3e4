// Exact conversions between doubles and decimal text, the same bytes on
// every platform and in every locale: the building blocks of the number-text
// module (io/number_text.h), which is the only one to use them.
//
// This is the one place that knows how the platform converts: with the C++
// library's std::to_chars and std::from_chars for double where it has them,
// and otherwise (libc++ 13 of the WebAssembly build) through the C library's
// snprintf and strtod, which convert exactly too; the C library uses the
// locale's decimal point, which is exchanged for the point on the way.
#pragma once

#include <string>
#include <string_view>
#include <version>

namespace meltsim::decimal {

// Whether this platform converts with the C++ library (std::to_chars and
// std::from_chars for double); otherwise the functions below are those of
// c_library.
#if defined(__cpp_lib_to_chars)
inline constexpr bool kWithCppLibrary = true;
#else
inline constexpr bool kWithCppLibrary = false;
#endif

// printf's "%.<precision>e" of a finite value: d.ddd...e+XX, correctly rounded.
std::string Scientific(double value, int precision);

// printf's "%.<decimals>f" of a finite value, correctly rounded.
std::string Fixed(double value, int decimals);

// The decimal digits of an integer, with "-" when negative: "12", "-3".
std::string Integer(long long value);

// The shortest text that reads back as `value`, in std::to_chars' plain
// form: fixed or scientific, whichever is shorter (fixed on a tie):
// "3e-05", "0.1", "1e+20", "123"; in fixed form an integer beyond 2^53 has
// all its exact digits ("900532989923784654848", not "900532989923784700000").
std::string Shortest(double value);

// Reads a decimal text of the form [-]digits[.digits][e[-]digits] whole
// (the number grammar's normalised form).
struct Parsed {
  double value = 0;
  bool ok = false;          // the text is such a number and its value is in range
  bool outOfRange = false;  // its magnitude is beyond the doubles (or rounds to zero)
};
Parsed Parse(std::string_view text);

// The C library's way, built on every platform so that the tests can hold it
// against the C++ library's.
namespace c_library {
std::string Scientific(double value, int precision);
std::string Fixed(double value, int decimals);
std::string Shortest(double value);
Parsed Parse(std::string_view text);
}  // namespace c_library

}  // namespace meltsim::decimal
