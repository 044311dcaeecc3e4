// The one way the system speaks to its user: the window shows a modal box,
// the command line writes a line on stderr, tests record the texts.
#pragma once

#include <string>
#include <vector>

namespace meltsim {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

// Keeps every message, in order; for tests and for collecting notices.
class RecordingMessageSink : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

}  // namespace meltsim
