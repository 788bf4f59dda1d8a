// The pictures of media for a health check: one listing, and the header of every picture it
// holds read on a thread of its own while the game loads (a full game holds 20,000 pictures,
// and each header is a file to open).
#pragma once

#include <cstddef>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "images/MediaFile.h"
#include "images/PictureHeader.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

class PictureScan {
 public:
  // Starts listing media and reading headers at once (at the first question where no thread
  // can be had).
  PictureScan(Os& os, const GamePaths& paths);
  ~PictureScan();
  PictureScan(const PictureScan&) = delete;
  PictureScan& operator=(const PictureScan&) = delete;

  // The listing of media, and ListMediaPictures of it (its `unnamable` names apart).
  const MediaListing& Media();
  const std::vector<std::string>& Pictures();
  const std::vector<std::string>& Unnamable();

  // ReadPictureHeader of the file of media named `onDisk` (UTF-8, as on disk): read already
  // when it is one of Pictures(), else read now.
  PictureHeader Header(const std::string& onDisk);

 private:
  void Scan();
  void WaitForListing();

  Os& os_;
  const GamePaths& paths_;
  std::optional<MediaListing> media_;
  std::vector<std::string> pictures_;
  std::vector<std::string> unnamable_;
  std::unordered_map<std::string, PictureHeader> headers_;  // by UTF-8 name
  std::promise<void> listed_;
  std::shared_future<void> listing_;  // of listed_
  std::future<void> job_;             // the whole scan on its thread, until it is waited for
  bool started_ = false;  // the scan runs on its thread, or has run on the caller's
};

}  // namespace qvm
