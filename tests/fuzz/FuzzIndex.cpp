// The index reader on any bytes: no crash, and reading what was written gives the same table.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "index/ImageIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvm::NewPool();
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qvm::ImageIndex first;
  qvm::ParseImageIndex(bytes, first);
  std::string written = qvm::SerializeImageIndex(first);
  qvm::ImageIndex second;
  qvm::ParseImageIndex(written, second);
  if (second.EntryCount() != first.EntryCount()) std::abort();
  for (int e = 1; e <= first.EntryCount(); ++e) {
    if (first.Entry(e).key != second.Entry(e).key) std::abort();
    if (first.Entry(e).images != second.Entry(e).images) std::abort();
  }
  if (qvm::SerializeImageIndex(second) != written) std::abort();
  qvm::ReleasePool();
  return 0;
}
