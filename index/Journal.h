// The crash journal beside the index: every change to the table is appended (and flushed)
// before the screen shows it, so a run that ends without saving loses nothing. A normal close
// saves the index and removes the journal; the next start after a crash replays it.
#pragma once

#include <filesystem>
#include <string>

#include "index/ImageIndex.h"
#include "platform/Os.h"

namespace qvm {

class Journal {
 public:
  explicit Journal(Os& os) : os_(os) {}
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Opens the journal file for appending, creating it when missing (never through a link).
  // False when it cannot be opened.
  bool Open(const std::filesystem::path& path);
  // Appends one change and flushes it to disk. False when that failed.
  bool Append(const IndexChange& change);
  void Close() { file_.Close(nullptr); }
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  Os& os_;
  OsFile file_;
};

// One change as a journal line (without line end).
std::string EncodeJournalRecord(const IndexChange& change);

// Applies the journal's records to `index` in order; returns how many changes it restored.
// Damaged or incomplete lines (a crash in the middle of a write) are skipped.
int ReplayJournal(std::string_view bytes, ImageIndex& index);

}  // namespace qvm
