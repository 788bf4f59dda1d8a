#include "images/PictureScan.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "images/StrayImages.h"
#include "platform/Cp1252.h"
#include "platform/PathText.h"

namespace qvm {

PictureScan::PictureScan(Os& os, const GamePaths& paths)
    : os_(os), paths_(paths), listing_(listed_.get_future()) {
  try {
    job_ = std::async(std::launch::async, [this] { Scan(); });
    started_ = true;
  } catch (const std::system_error&) {
    // No thread: the scan runs at the first question.
  }
}

PictureScan::~PictureScan() {
  if (job_.valid()) job_.wait();
}

void PictureScan::Scan() {
  try {
    media_.emplace(os_, paths_);
    pictures_ = ListMediaPictures(os_, paths_, media_->Entries(), &unnamable_);
  } catch (...) {
    listed_.set_exception(std::current_exception());
    throw;
  }
  listed_.set_value();
  // Opening a file waits on the system more than it computes (under Wine each open is three
  // round trips to its server): a second reader keeps the system busy meanwhile.
  std::vector<std::string> onDisk(pictures_.size());
  for (std::size_t i = 0; i < pictures_.size(); ++i) onDisk[i] = Utf8FromCp1252(pictures_[i]);
  std::vector<PictureHeader> headers(pictures_.size());
  std::atomic<std::size_t> next{0};
  auto read = [&] {
    for (std::size_t i; (i = next++) < onDisk.size();)
      headers[i] = ReadPictureHeader(os_, paths_.media / PathFromUtf8(onDisk[i]));
  };
  std::future<void> helper;
  if (onDisk.size() > 64 && std::thread::hardware_concurrency() > 1) {
    try {
      helper = std::async(std::launch::async, read);
    } catch (const std::system_error&) {
      // One reader.
    }
  }
  read();
  if (helper.valid()) helper.get();
  headers_.reserve(onDisk.size());
  for (std::size_t i = 0; i < onDisk.size(); ++i)
    headers_.emplace(std::move(onDisk[i]), headers[i]);
}

void PictureScan::WaitForListing() {
  if (!started_) {
    started_ = true;
    Scan();
  }
  listing_.get();  // rethrows what the listing threw
}

const MediaListing& PictureScan::Media() {
  WaitForListing();
  return *media_;
}

const std::vector<std::string>& PictureScan::Pictures() {
  WaitForListing();
  return pictures_;
}

const std::vector<std::string>& PictureScan::Unnamable() {
  WaitForListing();
  return unnamable_;
}

PictureHeader PictureScan::Header(const std::string& onDisk) {
  WaitForListing();
  if (job_.valid()) job_.get();  // rethrows what the scan threw
  if (auto found = headers_.find(onDisk); found != headers_.end()) return found->second;
  return ReadPictureHeader(os_, paths_.media / PathFromUtf8(onDisk));
}

}  // namespace qvm
