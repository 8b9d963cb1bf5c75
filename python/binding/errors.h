// The library's errors as Python exceptions: marovel.Error (a ValueError)
// with the command's message, or, for a file the system refused, the
// OSError subclass that Python gives its errno (FileNotFoundError...).
#ifndef MAROVEL_PYTHON_BINDING_ERRORS_H_
#define MAROVEL_PYTHON_BINDING_ERRORS_H_

#include <pybind11/pybind11.h>

#include "marovel/marovel.h"

namespace marovel::python {

// Sets the Python exception for `error` and throws
// pybind11::error_already_set; `path` (None when there is none) is the
// OSError's filename. REQUIRES: the GIL is held.
[[noreturn]] void raise_error(const Error& error, pybind11::handle path);

// Calls `f()`, raising a marovel::Error it throws as raise_error() does
// with `path`.
template <typename F>
auto with_path(pybind11::handle path, F&& f) {
  try {
    return f();
  } catch (const Error& error) {
    raise_error(error, path);
  }
}

// Translates a marovel::Error that reaches Python without a path.
void register_error_translator();

}  // namespace marovel::python

#endif  // MAROVEL_PYTHON_BINDING_ERRORS_H_
