// The pool that holds every text the program keeps: names from the game files, index keys and
// picture names, sorted name copies. Texts are never freed one by one; the whole pool goes at
// once at shutdown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace qvm {

// A reference to a pool copy; a default (null) Text reads as the empty text.
using Text = std::string_view;

// Creates a pool and makes it current (an earlier current pool is saved and comes back when
// this one is released). Returns an opaque non-zero handle.
std::uintptr_t NewPool();
// Frees the current pool with every block in it; the pool saved last becomes current again.
void ReleasePool();
// A zero-filled data area of (upperBound + 1) elements of the type code's element size (type
// code 9: `elementSize`), or nullptr for an unknown type code or a size of 0 or less. Creates a
// pool on the spot when none is current.
void* PoolAlloc(int typeCode, std::int32_t upperBound, std::int32_t elementSize);
// A copy of `text` followed by at least two zero bytes; a null Text when allocation fails.
Text PoolString(std::string_view text);
// Bytes handed out by the current pool so far (for the benchmark's memory figures).
std::size_t PoolBytesUsed();

struct PoolArena;

// Texts that a second thread makes for the current pool (loading reads the index on one while
// the game files load):
//   ThreadTexts texts;                                // anywhere
//   { ThreadTexts::Use use(texts); ... PoolString }   // on the second thread
//   texts.AddToCurrentPool();                         // on the pool's own thread, afterwards
// While a Use is alive on a thread, PoolString and PoolAlloc there copy into the texts' own
// arena; AddToCurrentPool makes that arena part of the current pool, released with it. Texts
// never added are freed with the ThreadTexts.
class ThreadTexts {
 public:
  ThreadTexts();
  ~ThreadTexts();
  ThreadTexts(const ThreadTexts&) = delete;
  ThreadTexts& operator=(const ThreadTexts&) = delete;

  class Use {
   public:
    explicit Use(ThreadTexts& texts);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    PoolArena* previous_;
  };

  void AddToCurrentPool();

 private:
  std::unique_ptr<PoolArena> arena_;
};

}  // namespace qvm
