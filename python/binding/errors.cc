#include "errors.h"

#include <cstring>
#include <string>

namespace py = pybind11;

namespace marovel::python {
namespace {

const char* code_name(Error::Code code) {
  switch (code) {
    case Error::Code::kInvalidInput:
      return "invalid_input";
    case Error::Code::kIoError:
      return "io_error";
    case Error::Code::kLimit:
      return "limit";
    case Error::Code::kInvalidArgument:
      return "invalid_argument";
  }
  return "invalid_input";
}

}  // namespace

void raise_error(const Error& error, py::handle path) {
  py::object exception;
  if (error.code() == Error::Code::kIoError && error.system_error() != 0) {
    // OSError(errno, text, filename) is the subclass for that errno.
    const std::string text =
        std::string(error.what()) + ": " + std::strerror(error.system_error());
    exception = py::reinterpret_borrow<py::object>(PyExc_OSError)(
        error.system_error(), text, path);
  } else {
    const py::object type =
        py::module_::import("marovel._errors").attr("Error");
    exception = type(error.what(), error.detail(), code_name(error.code()));
  }
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())),
                  exception.ptr());
  throw py::error_already_set();
}

void register_error_translator() {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const Error& error) {
      try {
        raise_error(error, py::none());
      } catch (py::error_already_set& set) {
        set.restore();
      }
    }
  });
}

}  // namespace marovel::python
