// Work that runs beside the caller: on a thread of its own, or, where no thread can be had,
// when its result is first asked for.
#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace qvm {

template <class Work>
auto StartInBackground(Work work) -> std::shared_future<decltype(work())> {
  try {
    return std::async(std::launch::async, work).share();
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, std::move(work)).share();
  }
}

}  // namespace qvm
