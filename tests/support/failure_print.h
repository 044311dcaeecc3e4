// How a test shows a Failure that does not match: its kind, message and field.
#pragma once

#include <ostream>

#include "model/expected.h"

namespace meltsim {

inline const char* KindName(FailureKind kind) {
  switch (kind) {
    case FailureKind::CannotOpen:
      return "CannotOpen";
    case FailureKind::CannotRead:
      return "CannotRead";
    case FailureKind::CannotWrite:
      return "CannotWrite";
    case FailureKind::WrongFormat:
      return "WrongFormat";
    case FailureKind::BadValue:
      return "BadValue";
    case FailureKind::Usage:
      return "Usage";
    case FailureKind::Unavailable:
      return "Unavailable";
  }
  return "?";
}

inline void PrintTo(const Failure& failure, std::ostream* out) {
  *out << KindName(failure.kind) << " \"" << failure.message << "\" field " << failure.field;
}

}  // namespace meltsim
