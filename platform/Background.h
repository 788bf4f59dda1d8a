// Work that runs beside the caller: on a thread of its own, or, where no thread can be had,
// when its result is first asked for.
#pragma once

#include <future>
#include <memory>
#include <system_error>
#include <utility>

namespace qvm {

template <class Work>
auto StartInBackground(Work work) -> std::shared_future<decltype(work())> {
  // Shared, not copied: what the work holds (a copy of every index name, say) may be large,
  // and the fallback needs it whole after the failed start.
  auto shared = std::make_shared<Work>(std::move(work));
  auto run = [shared] { return (*shared)(); };
  try {
    return std::async(std::launch::async, run).share();
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, run).share();
  }
}

}  // namespace qvm
