// Other formats for the CLI: Qt's image readers, in a module loaded at the first picture that
// needs them. Linked into the CLI, Qt and the display libraries it brings would be loaded at
// every start of every command, for the one command that converts.
#include "codec/ForeignPicturesModule.h"
#include "platform/Plugin.h"

namespace qvm {

bool DecodeFirstFrame(std::span<const std::uint8_t> bytes, RgbPicture& out, std::string& error) {
  static std::string loadError;
  static ForeignDecodeFunction* const decode = reinterpret_cast<ForeignDecodeFunction*>(
      LoadPluginFunction(kForeignPicturesModule, QVM_PLUGIN_FOLDER, kForeignDecodeFunction,
                         loadError));
  if (!decode) {
    error = "the readers of other picture formats cannot be loaded: " + loadError;
    return false;
  }
  return decode(bytes.data(), bytes.size(), &out, &error);
}

}  // namespace qvm
