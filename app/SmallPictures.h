// Small pictures for a long list, made off the window's thread: the rows a view draws ask for
// theirs, the newest ask is made first (what the user scrolled to last), and a bounded number
// are kept, each in a slot of its own (a view with an image list keeps the picture there).
// `Picture` is the face's own (an image, a bitmap handle); it must be movable.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qvm {

template <class Picture>
class SmallPictures {
 public:
  // Makes the picture of a row's name; runs on the worker.
  using Make = std::function<Picture(const std::string& name)>;
  // Called on the worker when pictures are ready: the view calls Collect on its own thread.
  using Wake = std::function<void()>;

  // (The names avoid Qt's keywords, which a face's includes define away.)
  SmallPictures(Make make, Wake wake, std::size_t slotCount = 256, std::size_t waitingLimit = 64)
      : make_(std::move(make)),
        wake_(std::move(wake)),
        slots_(slotCount),
        waiting_(waitingLimit) {
    worker_ = std::thread([this] { Work(); });
  }
  // Stops the worker once the picture it is making is done.
  ~SmallPictures() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    signal_.notify_one();
    worker_.join();
  }
  SmallPictures(const SmallPictures&) = delete;
  SmallPictures& operator=(const SmallPictures&) = delete;

  struct Found {
    const Picture* picture;
    std::size_t slot;  // from 0, below the number of slots
  };
  // The row's picture when it is made; otherwise it is asked for, before everything asked
  // earlier (the oldest asks beyond the waiting limit are dropped), and none is given.
  std::optional<Found> Find(int row, const std::string& name) {
    if (auto kept = kept_.find(row); kept != kept_.end()) {
      kept->second.used = ++clock_;
      return Found{&kept->second.picture, kept->second.slot};
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto queued = std::find_if(queue_.begin(), queue_.end(),
                                 [row](const Ask& ask) { return ask.row == row; });
      if (queued != queue_.end()) {
        std::rotate(queued, queued + 1, queue_.end());  // now the newest
      } else if (!asked_.count(row)) {
        queue_.push_back({row, name});
        asked_.insert(row);
        if (queue_.size() > waiting_) {
          asked_.erase(queue_.front().row);
          queue_.erase(queue_.begin());
        }
      }
    }
    signal_.notify_one();
    return std::nullopt;
  }

  // Takes what the worker made; the rows whose pictures are new, for the view to draw again.
  std::vector<int> Collect() {
    std::vector<std::pair<int, Picture>> made;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      made.swap(made_);
      for (const auto& [row, picture] : made) asked_.erase(row);
    }
    std::vector<int> rows;
    for (auto& [row, picture] : made) {
      kept_.erase(row);
      kept_.emplace(row, Kept{std::move(picture), FreeSlot(), ++clock_});
      rows.push_back(row);
    }
    return rows;
  }

  // Rows asked for and not yet collected.
  std::size_t Outstanding() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return asked_.size();
  }

 private:
  struct Ask {
    int row;
    std::string name;
  };
  struct Kept {
    Picture picture;
    std::size_t slot;
    std::uint64_t used;
  };

  // A slot for a new picture: a free one, or the least recently used one's.
  std::size_t FreeSlot() {
    if (kept_.size() < slots_) {
      std::vector<bool> taken(slots_, false);
      for (const auto& [row, kept] : kept_) taken[kept.slot] = true;
      return static_cast<std::size_t>(std::find(taken.begin(), taken.end(), false) -
                                      taken.begin());
    }
    auto oldest = std::min_element(kept_.begin(), kept_.end(), [](const auto& a, const auto& b) {
      return a.second.used < b.second.used;
    });
    const std::size_t slot = oldest->second.slot;
    kept_.erase(oldest);
    return slot;
  }

  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      signal_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      Ask ask = std::move(queue_.back());
      queue_.pop_back();
      lock.unlock();
      Picture picture = make_(ask.name);
      lock.lock();
      made_.emplace_back(ask.row, std::move(picture));
      lock.unlock();
      wake_();
      lock.lock();
    }
  }

  Make make_;
  Wake wake_;
  const std::size_t slots_;
  const std::size_t waiting_;
  // The window's thread only.
  std::unordered_map<int, Kept> kept_;
  std::uint64_t clock_ = 0;
  // Shared with the worker, under mutex_.
  mutable std::mutex mutex_;
  std::condition_variable signal_;
  std::vector<Ask> queue_;  // oldest first
  std::vector<std::pair<int, Picture>> made_;
  std::unordered_set<int> asked_;  // queued, being made, or made and not yet collected
  bool stopping_ = false;
  std::thread worker_;  // last member: started when everything else is ready
};

}  // namespace qvm
