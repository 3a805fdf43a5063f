#pragma once
// The one error shape of the file-format core: a kind that callers may act
// on, and a detail for the user. Routines return Result<T> (or Status when
// there is no value); nothing in the core throws or prints.
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace pt {

enum class ErrorKind {
  Io,           // the operating system refused: detail is its own description
  NotFound,     // no file at the path
  NotAFile,     // something that is not a regular file (folder, FIFO, device, link loop)
  NotAContainer,  // the file does not start with the container's magic "CON "
  Invalid,      // the bytes are not what the format says (bad magic, cut short, bad CRC)
  Unsupported,  // a valid file of a kind the program does not take (RLE, 16 bits/pixel, size)
  NotUsed,      // the slot holds no texture, so there is nothing to export
  Declined,     // the user (or a missing --force) kept the existing file
  Incomplete,   // the container was never read completely, so it cannot be written
  Busy,         // another process holds the container
  Codec,        // the PNG encoder or decoder or the colour quantizer failed: detail is its reason
};

struct Error {
  ErrorKind kind = ErrorKind::Io;
  std::string detail;
  int code = 0;  // errno for Io, NotFound and NotAFile; 0 otherwise
};

// An error from an errno value, with the operating system's description.
inline Error errnoError(int code) {
  const ErrorKind kind = code == ENOENT ? ErrorKind::NotFound : ErrorKind::Io;
  return Error{kind, std::generic_category().message(code), code};
}

// One sentence for the user: the detail, or a description of the kind when
// the detail is empty.
std::string describe(const Error& error);

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : v_(std::move(error)) {}  // NOLINT
  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(v_); }
  const T& value() const { return std::get<0>(v_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

// Success or an error, for routines without a value.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT
  static Status success() { return {}; }
  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return error_; }

 private:
  Error error_;
  bool failed_ = false;
};

}  // namespace pt
