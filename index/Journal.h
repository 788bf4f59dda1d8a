// The crash journal beside the index (media/index.dat.journal): every change to the table is
// appended and flushed before the screen shows it, so a run that ends without saving loses
// nothing. A journal is bound to the exact index.dat it applies to, so that it is applied once
// and never onto another file:
//  - it begins with a header naming the index as the run read it (size and ContentHash, or
//    "unreadable"), and exists under its name only with that header (written aside, renamed);
//  - right before a save replaces index.dat, a commit record names the new file: a journal
//    whose commit names the index on disk has been applied already;
//  - every record is written as "\n" + payload + TAB + checksum + "\n". The leading line end
//    ends whatever a crash cut short, and a line whose checksum fails is skipped, so a torn
//    record never costs a later one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "index/ImageIndex.h"
#include "index/IndexFile.h"
#include "platform/Os.h"

namespace qvm {

class Journal {
 public:
  explicit Journal(Os& os) : os_(os) {}
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Starts a new journal at `path` for `index` (the stored file as read at start). Fails when
  // anything has the name already, or the file cannot be made.
  bool Create(const std::filesystem::path& path, const IndexFileState& index);
  // Goes on appending to a journal found pending at start (a regular file, never a link).
  bool Continue(const std::filesystem::path& path);
  // Appends one change and flushes it to disk. False when that failed.
  bool Append(const IndexChange& change);
  // Notes, flushed, that index.dat is about to become `next`.
  bool Commit(const IndexFileState& next);
  void Close() { file_.Close(nullptr); }
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  bool Write(const std::string& record);
  Os& os_;
  OsFile file_;
};

// The framed record of a change, as the journal holds it.
std::string EncodeJournalRecord(const IndexChange& change);
// The framed header of a journal for `index`, and the framed commit record of a save that
// makes index.dat `next`.
std::string EncodeJournalHeader(const IndexFileState& index);
std::string EncodeJournalCommit(const IndexFileState& next);

// What start-up finds under the journal's name, judged against the index as it read it.
enum class JournalState {
  None,       // nothing: no run was cut short
  Applied,    // its commit names the index on disk, or it holds no change: remove it
  Pending,    // it belongs to the index on disk: replay it
  Unmatched,  // it belongs to another index, comes from an older version or is a link: set aside
  Unusable,   // something that is no regular file has the name, or it cannot be read
};
struct FoundJournal {
  JournalState state = JournalState::None;
  std::string bytes;  // Pending: the journal as read
  std::string error;  // Unusable: why, e.g. "it is a folder"
};
FoundJournal FindJournal(Os& os, const std::filesystem::path& path, const IndexFileState& index);

// Applies the changes of a journal to `index` in order; returns how many it restored. Lines
// that are damaged or were cut short are skipped.
int ReplayJournal(std::string_view bytes, ImageIndex& index);

// Renames the journal at `path` (a link itself, not what it points to) to a free name beside
// it, "index.dat.journal.unmatched" or "...unmatched-2" and so on, and returns that name.
std::optional<std::filesystem::path> SetJournalAside(Os& os, const std::filesystem::path& path,
                                                     std::string* error);

}  // namespace qvm
