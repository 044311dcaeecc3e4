// A text for the user that holds numbers. Below the io layer no number is
// turned into text: a message keeps its numbers as numbers, each with the
// form it is to be written in, and the number-text module of the io layer
// writes the whole message (MessageString in io/number_text.h), the same in
// every locale and on every platform.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace meltsim {

class MessageText {
 public:
  // How a number of a message is written.
  enum class Form {
    Fixed,        // fixed notation with `precision` decimals: 13.95
    Significant,  // up to `precision` significant digits, as printf's %g: 0.9987, 1.2e+05
    General,      // up to 15 significant digits, trailing zeros dropped: 8.99499999999999, 1.5E-7
  };
  struct Number {
    double value = 0;
    Form form = Form::General;
    int precision = 0;  // decimals (Fixed) or significant digits (Significant)
    friend bool operator==(const Number&, const Number&) = default;
  };
  using Part = std::variant<std::string, Number>;

  MessageText() = default;
  // A plain text is a message without numbers.
  MessageText(const char* text);         // NOLINT(google-explicit-constructor)
  MessageText(std::string_view text);    // NOLINT(google-explicit-constructor)
  MessageText(const std::string& text);  // NOLINT(google-explicit-constructor)
  explicit MessageText(Number number);

  MessageText& operator+=(const MessageText& more);
  friend MessageText operator+(MessageText a, const MessageText& b) { return a += b; }

  const std::vector<Part>& Parts() const { return parts_; }
  bool Empty() const { return parts_.empty(); }
  friend bool operator==(const MessageText&, const MessageText&) = default;

 private:
  void AppendText(std::string_view text);
  std::vector<Part> parts_;
};

// `value` in fixed notation with `decimals` decimals.
MessageText FixedNumber(double value, int decimals);

// `value` with up to `digits` significant digits.
MessageText SignificantNumber(double value, int digits);

// A whole number: a count, a step or line number ("12").
MessageText WholeNumber(long long value);

// `value` in the general number format of notices.
MessageText GeneralNumber(double value);

}  // namespace meltsim
