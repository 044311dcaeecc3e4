// A value or the failure that stands in its place: the one way every layer
// says that a call may fail without it being exceptional (a file that is not
// a data file, a grid that does not parse, a file that cannot be written).
// The interface is that of C++23's std::expected, which the compilers this
// project builds with do not have yet; code written against it moves over by
// its name alone.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace meltsim {

// What kind of failure, so that code decides by kind, never by the words.
enum class FailureKind {
  CannotOpen,   // a file that cannot be opened, or created
  CannotRead,   // a file that was opened but could not be read to its end
  CannotWrite,  // a write to a file that was opened failed (a full disk, an I/O error)
  WrongFormat,  // a file or text that is not of its kind (not a data file, not a result file)
  BadValue,     // a value that is refused (an input check, a number out of range)
  Usage,        // a request that does not parse (a --vary grid, a --set)
  Unavailable,  // what the platform or the build does not have (the plot module)
};

// A failure: its kind, the exact text for the user and, for a refused input,
// its field (an index into kFields; -1 for none).
struct Failure {
  FailureKind kind = FailureKind::BadValue;
  std::string message;
  int field = -1;
  friend bool operator==(const Failure&, const Failure&) = default;
};

template <class E>
struct Unexpected {
  E error;
};

// The failure of an Expected: `return Unexpect(Failure{...});`.
template <class E>
Unexpected<E> Unexpect(E error) {
  return Unexpected<E>{std::move(error)};
}

inline Unexpected<Failure> Fail(FailureKind kind, std::string message, int field = -1) {
  return Unexpected<Failure>{Failure{kind, std::move(message), field}};
}

template <class T, class E = Failure>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : v_(std::in_place_index<0>, std::move(value)) {}            // NOLINT: a value
  Expected(Unexpected<E> u) : v_(std::in_place_index<1>, std::move(u.error)) {}  // NOLINT

  bool has_value() const { return v_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  const T& value() const& { return std::get<0>(Checked()); }
  T& value() & { return std::get<0>(Checked()); }
  T&& value() && { return std::get<0>(std::move(Checked())); }
  const T& operator*() const& { return value(); }
  T& operator*() & { return value(); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }

  // The failure; only when there is no value.
  const E& error() const {
    if (has_value()) throw std::logic_error("Expected::error() of a value");
    return std::get<1>(v_);
  }

 private:
  const std::variant<T, E>& Checked() const {
    if (!has_value()) throw std::logic_error("Expected::value() of a failure");
    return v_;
  }
  std::variant<T, E>& Checked() {
    if (!has_value()) throw std::logic_error("Expected::value() of a failure");
    return v_;
  }
  std::variant<T, E> v_;
};

// Done, or the failure.
template <class E>
class [[nodiscard]] Expected<void, E> {
 public:
  Expected() = default;
  Expected(Unexpected<E> u) : error_(std::move(u.error)) {}  // NOLINT

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  const E& error() const {
    if (has_value()) throw std::logic_error("Expected::error() of a value");
    return *error_;
  }

 private:
  std::optional<E> error_;
};

}  // namespace meltsim
