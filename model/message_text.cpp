#include "model/message_text.h"

namespace meltsim {

MessageText::MessageText(const char* text) { AppendText(text); }
MessageText::MessageText(std::string_view text) { AppendText(text); }
MessageText::MessageText(const std::string& text) { AppendText(text); }
MessageText::MessageText(Number number) { parts_.emplace_back(number); }

void MessageText::AppendText(std::string_view text) {
  if (text.empty()) return;
  // Neighbouring texts are kept as one part, so that equal messages have
  // equal parts however they were put together.
  if (!parts_.empty()) {
    if (auto* last = std::get_if<std::string>(&parts_.back())) {
      last->append(text);
      return;
    }
  }
  parts_.emplace_back(std::string(text));
}

MessageText& MessageText::operator+=(const MessageText& more) {
  for (const Part& part : more.parts_) {
    if (const auto* text = std::get_if<std::string>(&part)) {
      AppendText(*text);
    } else {
      parts_.push_back(part);
    }
  }
  return *this;
}

MessageText FixedNumber(double value, int decimals) {
  return MessageText(MessageText::Number{value, MessageText::Form::Fixed, decimals});
}

MessageText SignificantNumber(double value, int digits) {
  return MessageText(MessageText::Number{value, MessageText::Form::Significant, digits});
}

MessageText WholeNumber(long long value) {
  return FixedNumber(static_cast<double>(value), 0);  // exact: counts stay far below 2^53
}

MessageText GeneralNumber(double value) {
  return MessageText(MessageText::Number{value, MessageText::Form::General, 0});
}

}  // namespace meltsim
