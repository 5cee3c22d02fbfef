// The native half of the Python package: whole arrays through the C API's
// array form, in chunks between which an interrupt is noticed. Broadcasting
// and warnings live in korvalen/__init__.py; every word comes from the C API.
#include <korvalen/korvalen.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Methods = std::vector<std::optional<std::string>>;  // encoded keywords; None: the default

constexpr std::size_t kChunk = std::size_t{1} << 16;  // about a millisecond of work

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

// The methods as the array form reads them, NUL-terminated. A method with a
// NUL inside is no keyword; its stand-in, with the NUL spelled \x00, is
// rejected as it is. Sentences take the bytes as given (explain).
class Keywords {
 public:
  explicit Keywords(const Methods& methods) {
    stand_ins_.reserve(methods.size());  // never reallocated: the pointers stay valid
    for (const auto& m : methods) {
      if (!m || m->find('\0') == std::string::npos) {
        pointers_.push_back(m ? m->c_str() : nullptr);
        continue;
      }
      std::string& spelled = stand_ins_.emplace_back();
      for (const char c : *m)
        spelled.append(c == '\0' ? std::string_view("\\x00") : std::string_view(&c, 1));
      pointers_.push_back(spelled.c_str());
    }
  }
  const char* const* data() const { return pointers_.data(); }
  std::size_t size() const { return pointers_.size(); }

 private:
  std::vector<std::string> stand_ins_;
  std::vector<const char*> pointers_;
};

// Element `at` of an argument of `size` elements (1: recycled).
std::size_t offset(std::size_t size, std::size_t at) {
  return size == 1 ? 0 : at;
}

// values and rejected arguments (0, or 1 to 3) of every element.
py::tuple evaluate(const Doubles& n, const Doubles& alpha, const Methods& methods) {
  const auto n_count = static_cast<std::size_t>(n.size());
  const auto alpha_count = static_cast<std::size_t>(alpha.size());
  const std::size_t count = element_count(n_count, alpha_count, methods.size());
  const Keywords k(methods);

  py::array_t<double> values(static_cast<py::ssize_t>(count));
  py::array_t<std::int32_t> rejected(static_cast<py::ssize_t>(count));
  const double* n_data = n.data();
  const double* alpha_data = alpha.data();
  double* v = values.mutable_data();
  std::int32_t* r = rejected.mutable_data();
  for (std::size_t at = 0; at < count; at += kChunk) {
    const std::size_t size = std::min(kChunk, count - at);
    std::size_t done;
    {
      py::gil_scoped_release unlocked;  // the library holds no state
      done = korvalen_ljungcv_array(size, n_data + offset(n_count, at), std::min(n_count, size),
                                    alpha_data + offset(alpha_count, at),
                                    std::min(alpha_count, size), k.data() + offset(k.size(), at),
                                    std::min(k.size(), size), v + at, nullptr, r + at);
    }
    if (done == SIZE_MAX) throw std::logic_error("korvalen_ljungcv_array refused its arguments");
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
  return py::make_tuple(values, rejected);
}

// The C API's sentence for every element, as bytes ("" for a value).
py::list explain(const Doubles& n, const Doubles& alpha, const Methods& methods) {
  const auto n_count = static_cast<std::size_t>(n.size());
  const auto alpha_count = static_cast<std::size_t>(alpha.size());
  const std::size_t count = element_count(n_count, alpha_count, methods.size());
  py::list sentences(static_cast<py::ssize_t>(count));
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const double ni = n.data()[offset(n_count, i)], ai = alpha.data()[offset(alpha_count, i)];
    const auto& m = methods[offset(methods.size(), i)];
    const char* mi = m ? m->data() : nullptr;
    const std::size_t bytes = m ? m->size() : 0;
    text.resize(korvalen_explain_bytes(ni, ai, mi, bytes, nullptr, 0, nullptr));
    korvalen_explain_bytes(ni, ai, mi, bytes, text.data(), text.size() + 1, nullptr);
    sentences[static_cast<py::ssize_t>(i)] = py::bytes(text);
    if (i % kChunk == kChunk - 1 && PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
  return sentences;
}

}  // namespace

PYBIND11_MODULE(_korvalen, m) {
  m.doc() = "Native LJUNGCV evaluation over arrays (see korvalen.ljungcv).";
  m.def("evaluate", &evaluate, py::arg("n"), py::arg("alpha"), py::arg("methods"));
  m.def("explain", &explain, py::arg("n"), py::arg("alpha"), py::arg("methods"));
  m.attr("library_version") = korvalen_version();
}
