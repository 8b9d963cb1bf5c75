// The outcome of an operation that can fail, carried up to the entry point,
// which alone prints it and chooses the exit status. A failure holds the text
// meant for the user (one of the system's own messages) and, where a library
// or the system said why, that text as well, with the system's error number
// when there is one.
#ifndef MAROVEL_BASE_STATUS_H_
#define MAROVEL_BASE_STATUS_H_

#include <string>
#include <utility>

namespace marovel {

class [[nodiscard]] Status {
 public:
  enum class Code {
    kOk,
    kInvalidInput,  // the input is not what the command reads
    kIoError,       // a file could not be opened or read
    kWriteFailed,   // the output could not be written; the detail says why
    kLimit,         // the input goes past what the program can hold
  };

  Status() = default;  // ok
  static Status error(Code code, std::string message, std::string detail = {},
                      int system_error = 0) {
    return Status(code, std::move(message), std::move(detail), system_error);
  }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  // The system's own message, exactly as it is to be shown.
  const std::string& message() const { return message_; }
  // What a library or the system said, for the log; may be empty.
  const std::string& detail() const { return detail_; }
  // The errno behind a failure of the system, or 0.
  int system_error() const { return system_error_; }

 private:
  Status(Code code, std::string message, std::string detail, int system_error)
      : code_(code),
        message_(std::move(message)),
        detail_(std::move(detail)),
        system_error_(system_error) {}

  Code code_ = Code::kOk;
  std::string message_;
  std::string detail_;
  int system_error_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_STATUS_H_
