// A gate that threads wait at (Opened().wait()) until it is opened, once. It opens when it goes
// at the latest, so that no thread waits for it for ever when its owner fails before opening.
#pragma once

#include <future>

namespace qvm {

class Gate {
 public:
  Gate() : opened_(promise_.get_future().share()) {}
  ~Gate() { Open(); }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;

  // From the owner's thread.
  void Open() {
    if (open_) return;
    open_ = true;
    promise_.set_value();
  }
  std::shared_future<void> Opened() const { return opened_; }

 private:
  std::promise<void> promise_;
  std::shared_future<void> opened_;
  bool open_ = false;
};

}  // namespace qvm
