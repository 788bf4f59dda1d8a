#include "platform/Plugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace qvm {

void* LoadPluginFunction(std::string_view module, std::string_view folder, const char* function,
                         std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    error = "the program's own folder cannot be found: " + ec.message();
    return nullptr;
  }
  const fs::path here = program.parent_path();
  for (const fs::path& path : {here / module, (here / folder / module).lexically_normal()}) {
    if (!fs::exists(path, ec)) continue;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = ::dlerror();
      error = why ? why : path.string() + " cannot be loaded";
      return nullptr;
    }
    if (void* found = ::dlsym(handle, function)) return found;
    error = path.string() + " has no " + function;
    ::dlclose(handle);
    return nullptr;
  }
  error = std::string(module) + " is neither beside the program nor in its library folder";
  return nullptr;
}

}  // namespace qvm
