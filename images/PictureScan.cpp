#include "images/PictureScan.h"

#include <system_error>

#include "images/StrayImages.h"
#include "platform/Cp1252.h"
#include "platform/PathText.h"

namespace qvm {

PictureScan::PictureScan(Os& os, const GamePaths& paths)
    : os_(os), paths_(paths), listing_(listed_.get_future()) {
  try {
    job_ = std::async(std::launch::async, [this] { Scan(); });
    threaded_ = true;
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
  headers_.reserve(pictures_.size());
  for (const std::string& name : pictures_) {
    std::string onDisk = Utf8FromCp1252(name);
    PictureHeader header = ReadPictureHeader(os_, paths_.media / PathFromUtf8(onDisk));
    headers_.emplace(std::move(onDisk), header);
  }
}

void PictureScan::WaitForListing() {
  if (!threaded_ && !scanned_) {
    scanned_ = true;
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
