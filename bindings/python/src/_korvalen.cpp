// The native half of the Python package: whole arrays through the C API's
// vector form, which recycles, skips, asks about interrupts and says what to
// warn about, in its own words. Broadcasting, masks and pandas live in
// korvalen/__init__.py.
#include <korvalen/korvalen.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Flags = py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>;
using Methods = std::vector<std::optional<std::string>>;  // encoded keywords; None: the default

// The number of elements: every argument has it, or one element to recycle.
std::size_t element_count(std::size_t n, std::size_t alpha, std::size_t methods) {
  const std::size_t count = std::max({n, alpha, methods});
  for (const std::size_t size : {n, alpha, methods}) {
    if (size != 1 && size != count) {
      throw py::value_error("n, alpha and method must have one element or " +
                            std::to_string(count));
    }
  }
  return count;
}

// The arguments of one call as the library's vector forms take them.
struct Call {
  Call(const Doubles& n, const Doubles& alpha, const Methods& methods, const Flags& skip) {
    count = element_count(static_cast<std::size_t>(n.size()),
                          static_cast<std::size_t>(alpha.size()), methods.size());
    for (const auto& m : methods) {
      keywords.push_back(m ? korvalen_method{m->data(), m->size()} : korvalen_method{nullptr, 0});
    }
    if (static_cast<std::size_t>(skip.size()) != count && skip.size() != 0) {
      throw py::value_error("skip must have " + std::to_string(count) + " elements or none");
    }
    skipped = skip.size() == 0 ? nullptr : skip.data();
  }
  std::size_t count;
  std::vector<korvalen_method> keywords;
  const std::uint8_t* skipped;
};

// Asked by the library between pieces of work, without the GIL.
int interrupted(void*) {
  py::gil_scoped_acquire locked;
  return PyErr_CheckSignals() != 0;
}

void check(std::size_t done) {
  if (done == KORVALEN_STOPPED) throw py::error_already_set();  // the interrupt's exception
  if (done == SIZE_MAX) throw std::logic_error("the library refused its arguments");
}

// The warnings of a summary, in the library's words without the host's
// status: n not whole, and the kind of result without a value; None for none.
py::list warnings_of(const korvalen_summary& summary, int no_value) {
  py::list said;
  for (const int kind : {static_cast<int>(KORVALEN_NOT_WHOLE), no_value}) {
    std::string text(korvalen_warning(&summary, kind | KORVALEN_PLAIN, nullptr, 0), '\0');
    korvalen_warning(&summary, kind | KORVALEN_PLAIN, text.data(), text.size() + 1);
    said.append(text.empty() ? py::object(py::none()) : py::object(py::str(text)));
  }
  return said;
}

// The values, and the warnings to give (None for none): n not whole, and
// results without a value from arguments that are not missing.
py::tuple evaluate(const Doubles& n, const Doubles& alpha, const Methods& methods,
                   const Flags& skip) {
  const Call c(n, alpha, methods, skip);
  py::array_t<double> values(static_cast<py::ssize_t>(c.count));
  korvalen_summary summary;
  std::size_t done;
  {
    py::gil_scoped_release unlocked;  // the library holds no state
    done = korvalen_ljungcv_many(
        c.count, n.data(), static_cast<std::size_t>(n.size()), alpha.data(),
        static_cast<std::size_t>(alpha.size()), c.keywords.data(), c.keywords.size(), c.skipped,
        values.mutable_data(), nullptr, nullptr, &summary, interrupted, nullptr);
  }
  check(done);
  return py::make_tuple(values, warnings_of(summary, KORVALEN_NO_VALUE));
}

// The library's sentence for every element ("" for a value), None where skipped.
py::list explain(const Doubles& n, const Doubles& alpha, const Methods& methods,
                 const Flags& skip) {
  const Call c(n, alpha, methods, skip);
  std::vector<std::optional<std::string>> sentences(c.count);
  std::size_t done;
  {
    py::gil_scoped_release unlocked;
    done = korvalen_explain_many(
        c.count, n.data(), static_cast<std::size_t>(n.size()), alpha.data(),
        static_cast<std::size_t>(alpha.size()), c.keywords.data(), c.keywords.size(), c.skipped,
        [](void* to, std::size_t i, const char* text, std::size_t length) {
          (*static_cast<std::vector<std::optional<std::string>>*>(to))[i].emplace(text, length);
        },
        interrupted, &sentences);
  }
  check(done);
  py::list out(static_cast<py::ssize_t>(c.count));
  for (std::size_t i = 0; i < c.count; ++i) {
    out[static_cast<py::ssize_t>(i)] =
        sentences[i] ? py::object(py::str(*sentences[i])) : py::object(py::none());
  }
  return out;
}

// level(n, c) (exact false) or exact(n, alpha) over whole arrays, each of one
// element or all, and their warnings as evaluate() gives them.
py::tuple tail(bool exact, const Doubles& n, const Doubles& x) {
  const std::size_t count =
      element_count(static_cast<std::size_t>(n.size()), static_cast<std::size_t>(x.size()), 1);
  py::array_t<double> values(static_cast<py::ssize_t>(count));
  korvalen_summary summary;
  {
    py::gil_scoped_release unlocked;
    const auto array = exact ? korvalen_exact_array : korvalen_level_array;
    check(array(count, n.data(), static_cast<std::size_t>(n.size()), x.data(),
                static_cast<std::size_t>(x.size()), values.mutable_data(), nullptr, nullptr,
                &summary));
  }
  return py::make_tuple(values,
                        warnings_of(summary, exact ? KORVALEN_NO_EXACT : KORVALEN_NO_LEVEL));
}

// The library's warning for values above their alpha, or None. One pass over
// the values: the text fits the buffer but for very long numbers, where a
// second call writes it whole.
py::object above_alpha(const Doubles& n, const Doubles& alpha, const Doubles& values) {
  const auto size = [](const Doubles& a) { return static_cast<std::size_t>(a.size()); };
  std::string text(512, '\0');
  const auto write = [&] {
    return korvalen_above_alpha(size(values), n.data(), size(n), alpha.data(), size(alpha),
                                values.data(), text.data(), text.size());
  };
  std::size_t length = write();
  check(length);
  if (length >= text.size()) {
    text.resize(length + 1);
    write();
  }
  if (length == 0) return py::none();
  text.resize(length);
  return py::str(text);
}

}  // namespace

PYBIND11_MODULE(_korvalen, m) {
  m.doc() = "Native LJUNGCV evaluation over arrays (see korvalen.ljungcv).";
  m.def("evaluate", &evaluate, py::arg("n"), py::arg("alpha"), py::arg("methods"), py::arg("skip"));
  m.def("explain", &explain, py::arg("n"), py::arg("alpha"), py::arg("methods"), py::arg("skip"));
  m.def("tail", &tail, py::arg("exact"), py::arg("n"), py::arg("x"));
  m.def("above_alpha", &above_alpha, py::arg("n"), py::arg("alpha"), py::arg("values"));
  m.attr("library_version") = korvalen_version();
}
