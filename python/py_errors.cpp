#include "python/py_errors.h"

namespace py = pybind11;

namespace meltsim::python {

InputRefused InputRefused::Of(const Failure& problem) {
  if (problem.field == kSaveFileNameField) return InputRefused(problem.message, "SaveFileName");
  if (problem.field < 0 || problem.field >= kFieldCount) return InputRefused(problem.message, {});
  return InputRefused(problem.message, kFields[static_cast<std::size_t>(problem.field)].symbol);
}

namespace {

// Raises the package's exception `name`, made with `args`.
template <class... Args>
void Raise(const char* name, Args&&... args) {
  const py::object type = py::module_::import("meltsim").attr(name);
  const py::object error = type(std::forward<Args>(args)...);
  PyErr_SetObject(type.ptr(), error.ptr());
}

}  // namespace

void RegisterErrorTranslators() {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const InputRefused& e) {
      Raise("InputError", e.what(), e.symbol ? py::object(py::str(*e.symbol)) : py::none());
    } catch (const ResultFileRefused& e) {
      Raise("ResultFileError", e.what());
    }
  });
}

}  // namespace meltsim::python
