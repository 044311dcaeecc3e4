// The texts of messages as the user reads them.
#pragma once

#include <string>
#include <vector>

#include "io/number_text.h"
#include "model/message_text.h"

namespace meltsim::testing {

inline std::string Text(const MessageText& message) { return MessageString(message); }

inline std::vector<std::string> Texts(const std::vector<MessageText>& messages) {
  std::vector<std::string> texts;
  for (const MessageText& message : messages) texts.push_back(MessageString(message));
  return texts;
}

}  // namespace meltsim::testing
