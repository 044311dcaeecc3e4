// The failures the compiled part of the module hands to Python: C++
// exceptions that a translator registered with pybind11 turns into the
// package's own exception classes (meltsim.InputError, meltsim.ResultFileError),
// so that every reader raises instead of returning (ok, value, message).
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "model/input_data.h"

namespace meltsim::python {

// An input, the save file name or a data file was refused: meltsim.InputError
// with the exact message and, for a field, its symbol.
class InputRefused : public std::runtime_error {
 public:
  InputRefused(const std::string& message, std::optional<std::string> symbol)
      : std::runtime_error(message), symbol(std::move(symbol)) {}
  // The symbol of a refused field ("D", ..., "SaveFileName").
  static InputRefused Of(const Failure& problem);
  std::optional<std::string> symbol;
};

// A file that is not a result file: meltsim.ResultFileError with the reader's message.
class ResultFileRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Registers the translation of both into the package's exception classes.
void RegisterErrorTranslators();

}  // namespace meltsim::python
