// Results as values: what a call came to and, where a person needs it, the message that says
// why. Every layer returns one instead of a -1/0 flag with a message passed back by reference.
//
//   ok        done
//   missing   not there: a stored file is ENOENT and nothing else
//   damaged   a stored file that cannot be read to its end as its header says
//   io_error  a file that is there but cannot be read or written (error() holds the errno)
//   stopped   a stop, or a fault that ends the whole run, cut the work short
//   failed    anything else that did not succeed; message() says what
#pragma once

#include <string>
#include <utility>

namespace karigane {

class status {
 public:
  enum code { ok, missing, damaged, io_error, stopped, failed };

  status(code c = ok, int error = 0) : code_(c), error_(error) {}
  status(code c, std::string message) : code_(c), message_(std::move(message)) {}

  static status failure(std::string message) { return status(failed, std::move(message)); }

  code value() const { return code_; }
  int error() const { return error_; }
  const std::string& message() const { return message_; }

  bool is_ok() const { return code_ == ok; }
  explicit operator bool() const { return code_ == ok; }
  // A stored file that is there but whose rows are not all known: it must be left untouched.
  bool unusable() const { return code_ == damaged || code_ == io_error; }

  friend bool operator==(const status& s, code c) { return s.code_ == c; }

 private:
  code code_;
  int error_ = 0;
  std::string message_;
};

}  // namespace karigane
