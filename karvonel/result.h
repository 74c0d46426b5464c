// Result<T, E>: a value, or the error that stands in its place. The same shape
// as C++23's std::expected, which not every compiler this project is built
// with offers yet.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace karvonel {

// The error side of a Result, as std::unexpected.
template <class E>
struct Unexpected {
  E error;
};
template <class E>
Unexpected(E) -> Unexpected<E>;

template <class T, class E>
class [[nodiscard]] Result {
 public:
  Result(T value) : data_(std::in_place_index<0>, std::move(value)) {}
  Result(Unexpected<E> failure) : data_(std::in_place_index<1>, std::move(failure.error)) {}

  bool has_value() const { return data_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // The value; only when has_value().
  T& value() { return *std::get_if<0>(&data_); }
  const T& value() const { return *std::get_if<0>(&data_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The error; only when !has_value().
  const E& error() const { return *std::get_if<1>(&data_); }

 private:
  std::variant<T, E> data_;
};

// A Result that carries no value: success, or the error.
template <class E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(Unexpected<E> failure) : error_(std::move(failure.error)) {}

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }

  // The error; only when !has_value().
  const E& error() const { return *error_; }

 private:
  std::optional<E> error_;
};

}  // namespace karvonel
