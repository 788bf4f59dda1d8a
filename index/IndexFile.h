// Reading media/index.dat at start and writing it back at close, safely. Storage only reports
// what happened; the caller decides what to ask and what to tell (the window shows messages,
// the CLI prints them).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "index/ImageIndex.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

inline constexpr std::string_view kIndexUnreadableMessage =
    "Transient error - MEDIA\\INDEX.DAT can't be opened.";

inline constexpr std::string_view kIndexChangedQuestion =
    "media/index.dat was changed by another program after the wizard read it.\n"
    "Replace it with the wizard's picture assignments?\n\n"
    "Yes replaces it. No leaves it as it is and keeps the wizard's assignments in "
    "media/index.dat.unsaved.";

// What loading found out, needed again when saving; also which index.dat a crash journal
// belongs to.
struct IndexFileState {
  bool loaded = false;  // false: the stored file could not be read; never replace it
  // What was read (ContentHash), to notice another program's change before replacing the file.
  std::uint64_t loadedSize = 0;
  std::uint64_t loadedHash = 0;
};
// The same stored file: both read with the same bytes, or both unreadable.
bool SameIndexFile(const IndexFileState& a, const IndexFileState& b);
IndexFileState StateOfBytes(std::string_view bytes);

// Reads the index; creates nothing. A missing index.dat (or media folder) reads as an empty
// index. When the file cannot be read (a folder, a FIFO, a dangling link, no access) the table
// stays empty and `loaded` is false: the caller tells the user kIndexUnreadableMessage.
IndexFileState LoadImageIndex(Os& os, const GamePaths& paths, ImageIndex& index);

// For a run that writes: creates media/ and an empty index.dat when missing, new and never
// through a link. Failures are not errors here; reading tells them.
void CreateIndexWhenMissing(Os& os, const GamePaths& paths);

// Removes what an interrupted save or copy left in media (`listing`: its entries): hidden
// temporary files of this program and the fixed names older versions wrote beside the index,
// whatever they are but folders (a link goes itself, never what it points to). Only for the
// holder of the lock, so that nobody's live temporary file is taken.
void RemoveSaveLeftovers(Os& os, const GamePaths& paths, const std::vector<FolderEntry>& listing);

// What to do when another program changed index.dat since it was read.
enum class WhenChanged {
  Ask,         // write nothing and report ChangedByOther
  Replace,     // replace it all the same
  KeepTheirs,  // leave it, keep the table in index.dat.unsaved
};

enum class SaveResult {
  Saved,           // index.dat holds the table; the previous file is index.dat.bak
  NothingToSave,   // index.dat was not read and the run added nothing: nothing to write or say
  ChangedByOther,  // nothing written (WhenChanged::Ask): ask, then save again with the answer
  KeptUnsaved,     // index.dat left as it is; the table is in `unsaved`
  Failed,          // index.dat left as it is, and the table could not be kept either
};

// Why index.dat was not written (KeptUnsaved and Failed).
enum class NotSavedBecause { UnreadAtStart, KeptTheirs, WriteFailed };

struct IndexSaveOutcome {
  SaveResult result = SaveResult::Saved;
  NotSavedBecause why = NotSavedBecause::WriteFailed;
  std::string error;              // WriteFailed: why index.dat could not be written
  std::filesystem::path unsaved;  // KeptUnsaved: where the table went
  std::string unsavedError;       // Failed: why the table could not go there
  IndexFileState saved;           // Saved: index.dat as it is now
};

// Runs right before the new file replaces index.dat, its bytes on the disk (`next` names them).
using BeforeIndexReplaced = std::function<void(const IndexFileState& next)>;

// Writes the whole table safely: the previous file is kept as index.dat.bak and the new one
// replaces index.dat in one step. When the stored file was never read, or the write fails, the
// table goes to index.dat.unsaved instead.
IndexSaveOutcome SaveImageIndex(Os& os, const GamePaths& paths, const ImageIndex& index,
                                const IndexFileState& state,
                                WhenChanged whenChanged = WhenChanged::Ask,
                                const BeforeIndexReplaced& beforeReplace = {});

// What the user is told after a save that left index.dat alone (KeptUnsaved, Failed); empty
// for the others.
std::string SaveOutcomeMessage(const IndexSaveOutcome& outcome);

}  // namespace qvm
