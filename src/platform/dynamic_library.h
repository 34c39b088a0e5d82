#pragma once
// A shared library loaded at run time, closed when the value goes away.

#include <optional>
#include <string>

namespace tamboro {

class DynamicLibrary {
 public:
  // Loads by the system's usual library search. Empty with the loader's
  // reason when the library cannot be loaded.
  static std::optional<DynamicLibrary> Open(const std::string& name, std::string* error);

  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  ~DynamicLibrary();

  // The address of an exported symbol; null when the library lacks it.
  void* Symbol(const char* name) const;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

}  // namespace tamboro
