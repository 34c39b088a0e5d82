#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

namespace tamboro {

std::optional<DynamicLibrary> DynamicLibrary::Open(const std::string& name, std::string* error) {
  dlerror();
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* why = dlerror();
      *error = why != nullptr ? why : name + ": cannot be loaded";
    }
    return std::nullopt;
  }
  return DynamicLibrary(handle);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

}  // namespace tamboro
