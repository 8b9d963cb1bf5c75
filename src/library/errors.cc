#include "library/errors.h"

#include <cassert>
#include <memory>
#include <utility>

#include "base/version.h"

namespace marovel {

const char* version() { return MAROVEL_VERSION; }

Error::Error(Code code, const std::string& what, std::string detail,
             int system_error)
    : std::runtime_error(what),
      code_(code),
      detail_(std::make_shared<const std::string>(std::move(detail))),
      system_error_(system_error) {}

Error::~Error() = default;

std::string message_text(std::string_view message) {
  while (message.starts_with('\n')) message.remove_prefix(1);
  while (message.ends_with('\n')) message.remove_suffix(1);
  return std::string(message);
}

namespace {

Error::Code code_of(Status::Code code) {
  switch (code) {
    case Status::Code::kInvalidInput:
      return Error::Code::kInvalidInput;
    case Status::Code::kLimit:
      return Error::Code::kLimit;
    case Status::Code::kIoError:
    case Status::Code::kWriteFailed:
    case Status::Code::kOk:
      break;
  }
  return Error::Code::kIoError;
}

}  // namespace

void throw_status(const Status& status) {
  throw_status(status, code_of(status.code()));
}

void throw_status(const Status& status, Error::Code code) {
  assert(!status.ok());
  throw Error(code, message_text(status.message()), status.detail(),
              status.system_error());
}

}  // namespace marovel
