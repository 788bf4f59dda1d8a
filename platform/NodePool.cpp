#include "platform/NodePool.h"

#include <cstring>
#include <memory>
#include <memory_resource>
#include <new>
#include <vector>

namespace qvm {

struct PoolArena {
  std::pmr::monotonic_buffer_resource arena{64 * 1024};
  std::size_t used = 0;
  std::vector<std::unique_ptr<PoolArena>> adopted;  // texts made on other threads
};

namespace {

using Pool = PoolArena;

struct PoolState {
  std::unique_ptr<Pool> current;
  std::vector<std::unique_ptr<Pool>> saved;
};

// The arena of a ThreadTexts in use on this thread, if any.
thread_local PoolArena* t_threadArena = nullptr;

PoolState& State() {
  static PoolState state;
  return state;
}

std::int32_t ElementSize(int typeCode, std::int32_t callerSize) {
  switch (typeCode) {
    case 1:
      return 1;
    case 2:
    case 3:
      return 2;
    case 4:
    case 5:
    case 6:
    case 10:
      return 4;
    case 7:
      return 8;
    case 8:
      return 10;
    case 9:
      return callerSize;
    default:
      return 0;
  }
}

}  // namespace

std::uintptr_t NewPool() {
  PoolState& s = State();
  if (s.current) s.saved.push_back(std::move(s.current));
  s.current = std::make_unique<Pool>();
  return reinterpret_cast<std::uintptr_t>(s.current.get());
}

void ReleasePool() {
  PoolState& s = State();
  s.current.reset();
  if (!s.saved.empty()) {
    s.current = std::move(s.saved.back());
    s.saved.pop_back();
  }
}

void* PoolAlloc(int typeCode, std::int32_t upperBound, std::int32_t elementSize) {
  std::int64_t size = ElementSize(typeCode, elementSize);
  Pool* pool = t_threadArena;
  if (!pool) {
    PoolState& s = State();
    if (!s.current) s.current = std::make_unique<Pool>();
    pool = s.current.get();
  }
  if (size <= 0 || upperBound < 0) return nullptr;
  std::int64_t bytes = (static_cast<std::int64_t>(upperBound) + 1) * size;
  try {
    void* p = pool->arena.allocate(static_cast<std::size_t>(bytes), size == 1 ? 1 : 8);
    std::memset(p, 0, static_cast<std::size_t>(bytes));
    pool->used += static_cast<std::size_t>(bytes);
    return p;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

Text PoolString(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(INT32_MAX - 2)) return {};
  auto* p = static_cast<char*>(PoolAlloc(1, static_cast<std::int32_t>(text.size()) + 1, 0));
  if (!p) return {};
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  return Text(p, text.size());
}

std::size_t PoolBytesUsed() {
  PoolState& s = State();
  return s.current ? s.current->used : 0;
}

ThreadTexts::ThreadTexts() : arena_(std::make_unique<PoolArena>()) {}
ThreadTexts::~ThreadTexts() = default;

ThreadTexts::Use::Use(ThreadTexts& texts) : previous_(t_threadArena) {
  t_threadArena = texts.arena_.get();
}

ThreadTexts::Use::~Use() { t_threadArena = previous_; }

void ThreadTexts::AddToCurrentPool() {
  if (!arena_) return;
  PoolState& s = State();
  if (!s.current) s.current = std::make_unique<Pool>();
  s.current->used += arena_->used;
  s.current->adopted.push_back(std::move(arena_));
}

}  // namespace qvm
