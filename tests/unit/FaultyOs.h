// The real Os with chosen calls made to fail, as a full disk, a failing device or a file system
// that refuses would: tests hand it in wherever the code takes an Os.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Os.h"

namespace qvm::test {

class FaultyOs : public Os {
 public:
  enum class Call {
    CreateNew,
    OpenForReading,
    OpenForAppending,
    Write,
    Flush,
    Close,
    Replace,
    RenameNew,
    ListFolder,
    TryLock
  };
  // Which files a fault hits; calls on an open file are judged by the path it was opened with,
  // Replace and RenameNew by their source.
  using Where = std::function<bool(const std::filesystem::path&)>;

  explicit FaultyOs(Os& real = SystemOs()) : real_(real) {}

  // Makes every later `call` on a file `where` accepts (every file when empty) fail with
  // `error`. A failing Write first writes `bytesFirst` bytes of its data, as a disk that fills
  // up in the middle does; a failing Close closes the file all the same.
  void Fail(Call call, Where where = {}, std::string error = "Input/output error",
            std::size_t bytesFirst = 0) {
    std::lock_guard<std::mutex> hold(mutex_);
    faults_.push_back({call, std::move(where), std::move(error), bytesFirst});
  }
  void Heal() {
    std::lock_guard<std::mutex> hold(mutex_);
    faults_.clear();
  }
  // How many calls a fault has failed so far.
  int Failed() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return failed_;
  }

  EntryInfo Info(const std::filesystem::path& p, bool follow) override {
    return real_.Info(p, follow);
  }
  std::optional<std::filesystem::path> NameOnDisk(const std::filesystem::path& folder,
                                                  const std::filesystem::path& name) override {
    return real_.NameOnDisk(folder, name);
  }
  std::optional<std::filesystem::path> RealPath(const std::filesystem::path& p) override {
    return real_.RealPath(p);
  }
  bool FindsNamesInAnyCase() const override { return real_.FindsNamesInAnyCase(); }
  bool OpensAreSlow() const override { return real_.OpensAreSlow(); }
  bool ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries,
                  std::string* error) override {
    if (Hit(Call::ListFolder, folder, error)) return false;
    return real_.ListFolder(folder, entries, error);
  }
  FileHandle OpenForReading(const std::filesystem::path& p, std::string* error) override {
    if (Hit(Call::OpenForReading, p, error)) return kNoFile;
    return Opened(p, real_.OpenForReading(p, error));
  }
  std::int64_t Read(FileHandle f, void* buffer, std::size_t size, std::string* error) override {
    return real_.Read(f, buffer, size, error);
  }
  bool Seek(FileHandle f, std::uint64_t offset, std::string* error) override {
    return real_.Seek(f, offset, error);
  }
  EntryInfo InfoOf(FileHandle f) override { return real_.InfoOf(f); }
  FileHandle CreateNew(const std::filesystem::path& p, std::string* error) override {
    if (Hit(Call::CreateNew, p, error)) return kNoFile;
    return Opened(p, real_.CreateNew(p, error));
  }
  FileHandle OpenForAppending(const std::filesystem::path& p, std::string* error) override {
    if (Hit(Call::OpenForAppending, p, error)) return kNoFile;
    return Opened(p, real_.OpenForAppending(p, error));
  }
  bool Write(FileHandle f, const void* data, std::size_t size, std::string* error) override {
    std::size_t first = 0;
    if (Hit(Call::Write, PathOf(f), error, &first)) {
      if (first > 0) real_.Write(f, data, std::min(first, size), nullptr);
      return false;
    }
    return real_.Write(f, data, size, error);
  }
  bool Flush(FileHandle f, std::string* error) override {
    if (Hit(Call::Flush, PathOf(f), error)) return false;
    return real_.Flush(f, error);
  }
  bool Close(FileHandle f, std::string* error) override {
    const std::filesystem::path p = PathOf(f);
    {
      std::lock_guard<std::mutex> hold(mutex_);
      open_.erase(f);
    }
    bool closed = real_.Close(f, error);
    if (Hit(Call::Close, p, error)) return false;
    return closed;
  }
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to,
               std::string* error) override {
    if (Hit(Call::Replace, from, error)) return false;
    return real_.Replace(from, to, error);
  }
  bool RenameNew(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string* error) override {
    if (Hit(Call::RenameNew, from, error)) return false;
    return real_.RenameNew(from, to, error);
  }
  bool Remove(const std::filesystem::path& p, std::string* error) override {
    return real_.Remove(p, error);
  }
  bool CreateFolder(const std::filesystem::path& p, std::string* error) override {
    return real_.CreateFolder(p, error);
  }
  bool FlushFolder(const std::filesystem::path& folder) override {
    return real_.FlushFolder(folder);
  }
  LockAttempt TryLock(const std::filesystem::path& media,
                      const std::filesystem::path& lockFile) override {
    std::string error;
    if (Hit(Call::TryLock, lockFile, &error)) return {LockState::Failed, nullptr, {}, error};
    return real_.TryLock(media, lockFile);
  }
  std::uint64_t ProcessId() override { return real_.ProcessId(); }

 private:
  struct Fault {
    Call call;
    Where where;
    std::string error;
    std::size_t bytesFirst;
  };

  bool Hit(Call call, const std::filesystem::path& p, std::string* error,
           std::size_t* bytesFirst = nullptr) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Fault& f : faults_) {
      if (f.call != call || (f.where && !f.where(p))) continue;
      if (error) *error = f.error;
      if (bytesFirst) *bytesFirst = f.bytesFirst;
      ++failed_;
      return true;
    }
    return false;
  }
  FileHandle Opened(const std::filesystem::path& p, FileHandle f) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (f != kNoFile) open_[f] = p;
    return f;
  }
  std::filesystem::path PathOf(FileHandle f) {
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = open_.find(f);
    return it == open_.end() ? std::filesystem::path() : it->second;
  }

  Os& real_;
  mutable std::mutex mutex_;
  std::vector<Fault> faults_;
  std::map<FileHandle, std::filesystem::path> open_;
  int failed_ = 0;
};

}  // namespace qvm::test
