// The one way the system speaks to its user: the window shows a modal box,
// the command line writes a line on stderr, the Python module raises or
// warns, tests record the texts.
#pragma once

#include <string>
#include <vector>

namespace meltsim {

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows `text` to the user. The floating-point fault flags are saved
  // before and restored after, so whatever showing the message does (a
  // modal box runs the window's event loop) is never taken for a fault of
  // the model.
  void ShowMessage(const std::string& text);

 protected:
  virtual void Display(const std::string& text) = 0;
};

// The general number format of notices: the shortest of fixed and
// scientific notation with up to 15 significant digits, trailing zeros
// dropped ("8.99499999999999", "1.5E-7", "INF").
std::string GeneralNumberText(double value);

// Keeps every message, in order; for tests and for collecting notices.
class RecordingMessageSink : public MessageSink {
 public:
  std::vector<std::string> messages;

 protected:
  void Display(const std::string& text) override { messages.push_back(text); }
};

}  // namespace meltsim
