// korvalen.so loaded into the stand-in host: entered, walked and registered as
// the host does it, and LJUNGCV called through the implementation it handed
// back.
//
// Every call into the module's code checks first that the module is still
// loaded and that its Host is the live one (the module reads the Host's
// control block), and throws std::logic_error otherwise; nothing handed out
// calls the module unchecked.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host.hpp"

namespace host {

// What one evaluation of LJUNGCV gave the host.
struct Evaluation {
  double value;
  std::int32_t status;  // as the module returned it
  int flagged;          // 1 to 3: the argument whose invalid flag was set; 0: none
  int flags_set;        // how many invalid flags were set

  bool is(module::Status s) const { return status == static_cast<std::int32_t>(s); }
};

// Whether the module and its Host are still there; shared with every Entry.
struct Link {
  const Host* host;
  std::uint64_t generation;
  bool loaded = true;
  // Throws std::logic_error unless both are.
  void check() const;
};

// A routine of the module (a function pointer type F), checked at each call.
template <typename F>
class Entry {
 public:
  Entry(std::shared_ptr<const Link> link, F f) : link_(std::move(link)), f_(f) {}
  explicit operator bool() const { return f_ != nullptr; }
  template <typename... Args>
  auto operator()(Args&&... args) const {
    link_->check();
    return f_(std::forward<Args>(args)...);
  }

 private:
  std::shared_ptr<const Link> link_;
  F f_;
};

// Throws std::runtime_error when the image cannot be used.
class Module {
 public:
  Module(Host& host, const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // The address of an exported name, to compare or to read data at; calls go
  // through function().
  const void* address(const char* name) const;
  // An exported routine, called through a check (tests and benchmarks use it).
  template <typename F>
  Entry<F> function(const char* name) const {
    return Entry<F>(link_, reinterpret_cast<F>(const_cast<void*>(address(name))));
  }

  const module::ImageInformation& image() const { return *image_; }
  const module::ModuleRecord& module_record() const { return *record_; }
  // Every function registered, in descriptor order; LJUNGCV among them.
  const std::vector<const module::FunctionDescriptor*>& functions() const { return functions_; }
  Entry<module::FunctionImplementation> implementation() const { return {link_, implementation_}; }
  module::VersionControlBlock version_block() const;  // through tkvercn1

  // LJUNGCV(n, alpha [, method]) with an argument record built as the host
  // builds it. The method's characters are passed as given, blanks and all.
  // Throws std::length_error for a method longer than a descriptor's 32-bit
  // length.
  Evaluation evaluate(double n, double alpha,
                      const std::optional<std::string_view>& method = std::nullopt) const;

 private:
  void* handle_ = nullptr;
  std::shared_ptr<Link> link_;
  const module::ImageInformation* image_ = nullptr;
  const module::ModuleRecord* record_ = nullptr;
  std::vector<const module::FunctionDescriptor*> functions_;
  module::FunctionImplementation implementation_ = nullptr;
};

}  // namespace host
