// The native half of the Python package: whole arrays through the C API's
// array form. Broadcasting and warnings live in korvalen/__init__.py.
#include <korvalen/korvalen.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// values, statuses and rejected arguments for count = max(len(n), len(alpha))
// elements, each argument recycled; methods: one per element, or one (or
// none: the default) for all.
py::tuple evaluate(const Doubles& n, const Doubles& alpha,
                   const std::vector<std::optional<std::string>>& methods) {
  const auto n_count = static_cast<std::size_t>(n.size());
  const auto alpha_count = static_cast<std::size_t>(alpha.size());
  const std::size_t count = std::max({n_count, alpha_count, methods.size()});
  std::vector<const char*> keywords;
  keywords.reserve(methods.size());
  for (const auto& m : methods) keywords.push_back(m ? m->c_str() : nullptr);

  py::array_t<double> values(static_cast<py::ssize_t>(count));
  py::array_t<std::int32_t> statuses(static_cast<py::ssize_t>(count));
  py::array_t<std::int32_t> rejected(static_cast<py::ssize_t>(count));
  if (count > 0) {
    const double* n_data = n.data();
    const double* alpha_data = alpha.data();
    double* v = values.mutable_data();
    std::int32_t* s = statuses.mutable_data();
    std::int32_t* r = rejected.mutable_data();
    py::gil_scoped_release unlocked;  // the library holds no state
    korvalen_ljungcv_array(count, n_data, n_count, alpha_data, alpha_count, keywords.data(),
                           keywords.size(), v, s, r);
  }
  return py::make_tuple(values, statuses, rejected);
}

}  // namespace

PYBIND11_MODULE(_korvalen, m) {
  m.doc() = "Native LJUNGCV evaluation over arrays (see korvalen.ljungcv).";
  m.def("evaluate", &evaluate, py::arg("n"), py::arg("alpha"), py::arg("methods"));
  m.attr("library_version") = korvalen_version();
  m.attr("MISSING_RESULT") = static_cast<int>(KORVALEN_MISSING_RESULT);
  m.attr("INVALID_ARGUMENT") = static_cast<int>(KORVALEN_INVALID_ARGUMENT);
}
