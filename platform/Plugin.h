// A function of a module that the program loads only once it needs it: a library too heavy to
// load at every start. The module is looked up beside the program, then in `folder` (relative
// to the program's folder), and stays loaded until the program ends.
#pragma once

#include <string>
#include <string_view>

namespace qvm {

// Null, with why in `error`, when no such module loads or it has no such function.
void* LoadPluginFunction(std::string_view module, std::string_view folder, const char* function,
                         std::string& error);

}  // namespace qvm
