// The one way the system speaks to its user: the window shows a modal box,
// the command line writes a line on stderr, the Python module raises or
// warns, tests record the texts. The calculation itself never speaks while
// it runs: its notices and warnings are kept with its results (as
// MessageText) and shown by the run command when it returns.
#pragma once

#include <string>
#include <vector>

namespace meltsim {

// What a message is, so that a front end can show each kind its own way
// (the window boxes errors and notices and puts warnings and notes in the
// Results tab's banner).
enum class MessageKind {
  Error,    // an input refused, a file that cannot be written, a failed calculation
  Notice,   // what the calculation said as it went (an overflow, where melting stops)
  Note,     // what the series mode did for the run (a step computed again)
  Warning,  // a doubt on the results (a solid bed wider than the channel)
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows `text` to the user.
  void ShowMessage(const std::string& text, MessageKind kind = MessageKind::Error) {
    Display(text, kind);
  }

 protected:
  virtual void Display(const std::string& text, MessageKind kind) = 0;
};

// Keeps every message, in order; for tests and for collecting notices.
class RecordingMessageSink : public MessageSink {
 public:
  std::vector<std::string> messages;
  std::vector<MessageKind> kinds;  // of each message

 protected:
  void Display(const std::string& text, MessageKind kind) override {
    messages.push_back(text);
    kinds.push_back(kind);
  }
};

}  // namespace meltsim
