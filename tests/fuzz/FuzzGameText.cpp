// The game's line and number items on any bytes: no crash, every read inside the data, and the
// reader always moves forward until the end.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gamedb/GameTextReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks the mix of items.
  unsigned pattern = size ? data[0] : 0;
  qvm::GameTextReader reader(bytes);
  for (int step = 0; !reader.AtEnd(); ++step) {
    std::size_t before = reader.Position();
    if ((pattern >> (step % 8)) & 1) {
      std::string_view line = reader.ReadLine();
      if (line.data() < bytes.data() || line.data() + line.size() > bytes.data() + bytes.size())
        std::abort();
    } else {
      reader.ReadNumber();
    }
    if (reader.Position() <= before || reader.Position() > bytes.size()) std::abort();
  }
  if (!reader.ReadLine().empty() || reader.ReadNumber() != 0) std::abort();
  qvm::LeadingNumber(bytes);
  return 0;
}
