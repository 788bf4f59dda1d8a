#include "index/IndexFile.h"

#include <algorithm>

#include "platform/ContentHash.h"
#include "platform/FileIo.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

IndexSaveOutcome Outcome(SaveResult result) {
  IndexSaveOutcome outcome;
  outcome.result = result;
  return outcome;
}

// Index.dat's table goes to index.dat.unsaved instead.
IndexSaveOutcome KeepUnsaved(Os& os, const GamePaths& paths, const std::string& bytes,
                             NotSavedBecause why, std::string error = {}) {
  IndexSaveOutcome outcome;
  outcome.why = why;
  outcome.error = std::move(error);
  if (WriteFileAtomically(os, paths.unsaved, bytes, &outcome.unsavedError)) {
    outcome.result = SaveResult::KeptUnsaved;
    outcome.unsaved = paths.unsaved;
  } else {
    outcome.result = SaveResult::Failed;
  }
  return outcome;
}

}  // namespace

bool SameIndexFile(const IndexFileState& a, const IndexFileState& b) {
  if (!a.loaded || !b.loaded) return a.loaded == b.loaded;
  return a.loadedSize == b.loadedSize && a.loadedHash == b.loadedHash;
}

IndexFileState StateOfBytes(std::string_view bytes) {
  return IndexFileState{true, bytes.size(), ContentHash(bytes)};
}

IndexFileState LoadImageIndex(Os& os, const GamePaths& paths, ImageIndex& index) {
  index.Clear();
  if (os.Info(paths.index, false).type == EntryType::Missing) return StateOfBytes({});
  IndexFileState state;
  {
    auto bytes = ReadWholeFile(os, paths.index);
    if (!bytes) return state;
    state = StateOfBytes(*bytes);
    ParseImageIndex(*bytes, index);
  }
  return state;
}

void CreateIndexWhenMissing(Os& os, const GamePaths& paths) {
  os.CreateFolder(paths.media, nullptr);  // an existing or uncreatable folder is fine
  if (os.Info(paths.index, false).type == EntryType::Missing) {
    OsFile created(os, os.CreateNew(paths.index, nullptr));
  }
}

void RemoveSaveLeftovers(Os& os, const GamePaths& paths, const std::vector<FolderEntry>& listing) {
  // Earlier versions wrote beside the file under these names.
  const std::string index = Utf8FromPath(paths.index.filename());
  const std::string older[] = {index + ".new", index + ".bak.new", index + ".unsaved.new"};
  for (const FolderEntry& entry : listing) {
    if (entry.type == EntryType::Folder) continue;
    const bool leftover = WithUtf8OfPath(entry.name, [&](std::string_view name) {
      return IsTemporaryFileName(name) ||
             std::find(std::begin(older), std::end(older), name) != std::end(older);
    });
    if (leftover) os.Remove(paths.media / entry.name, nullptr);
  }
}

IndexSaveOutcome SaveImageIndex(Os& os, const GamePaths& paths, const ImageIndex& index,
                                const IndexFileState& state, WhenChanged whenChanged,
                                const BeforeIndexReplaced& beforeReplace) {
  std::string bytes = SerializeImageIndex(index);
  if (!state.loaded) {
    if (index.EntryCount() == 0) return Outcome(SaveResult::NothingToSave);
    return KeepUnsaved(os, paths, bytes, NotSavedBecause::UnreadAtStart);
  }
  auto old = ReadWholeFile(os, paths.index);
  if (old && whenChanged != WhenChanged::Replace && !SameIndexFile(StateOfBytes(*old), state)) {
    if (whenChanged == WhenChanged::Ask) return Outcome(SaveResult::ChangedByOther);
    return KeepUnsaved(os, paths, bytes, NotSavedBecause::KeptTheirs);
  }
  // A missing backup never blocks the save.
  if (old) WriteFileAtomically(os, paths.backup, *old, nullptr);
  old.reset();
  std::string error;
  const IndexFileState next = StateOfBytes(bytes);
  std::function<void()> before;
  if (beforeReplace) before = [&] { beforeReplace(next); };
  if (WriteFileAtomically(os, paths.index, bytes, &error, before)) {
    IndexSaveOutcome saved = Outcome(SaveResult::Saved);
    saved.saved = next;
    return saved;
  }
  return KeepUnsaved(os, paths, bytes, NotSavedBecause::WriteFailed, std::move(error));
}

std::string SaveOutcomeMessage(const IndexSaveOutcome& outcome) {
  if (outcome.result != SaveResult::KeptUnsaved && outcome.result != SaveResult::Failed) return {};
  std::string message;
  switch (outcome.why) {
    case NotSavedBecause::UnreadAtStart:
      message = "media/index.dat could not be read at start, so it was left as it was.\n";
      break;
    case NotSavedBecause::KeptTheirs:
      message = "media/index.dat was left as the other program wrote it.\n";
      break;
    case NotSavedBecause::WriteFailed:
      message = "media/index.dat could not be written: " + outcome.error + "\n";
      break;
  }
  if (outcome.result == SaveResult::KeptUnsaved) {
    message += "The changes of this run are kept in media/index.dat.unsaved.";
  } else {
    message +=
        "They could not be kept in media/index.dat.unsaved either: " + outcome.unsavedError + ".";
  }
  return message;
}

}  // namespace qvm
