// Which picture files belong to which entity: keys with ordered, duplicate-free, lower-case
// picture names, kept in media/index.dat (CP1252, CR LF, key line then "|"-joined names line).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/NodePool.h"

namespace qvm {

inline constexpr int kIndexEntryCapacity = 4000;
inline constexpr int kImagesPerEntryCapacity = 100;

struct IndexEntry {
  Text key;
  std::vector<Text> images;
};

// A change to the table, reported to the observer (the crash journal and the undo history
// listen). EntryTakenBack and ImageRestored come only from taking a change back.
struct IndexChange {
  enum class Kind {
    NewEntry,
    ImageAdded,
    ImageRemoved,
    EntryRekeyed,
    ImageReplaced,
    EntryTakenBack,
    ImageRestored,
  } kind;
  int entry;         // 1-based entry number
  std::string key;   // the entry's key before the change (the new key for NewEntry)
  std::string text;  // added, removed or restored name, the new key, or the name put in place
  int position = 0;  // where the name was added, removed, replaced or restored (1-based)
  std::string previous = {};  // ImageReplaced: the name that stood at `position`
};

enum class AddImageResult { Added, AlreadyListed, EntryFull, NoEntry };

class ImageIndex {
 public:
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  // Entry numbers count from 1 and are stable for the run.
  const IndexEntry& Entry(int number) const { return entries_[static_cast<size_t>(number) - 1]; }
  const std::vector<IndexEntry>& Entries() const { return entries_; }

  // First entry whose key equals `key` after CP1252 upper-casing of both; 0 when none.
  int FindEntry(std::string_view key) const;
  // Appends an entry without images and returns its number; 0 when the table is full or the
  // key cannot be stored (callers check IsStorableKey first and say why).
  int AppendEntry(std::string_view key);
  // Lower-cases the name and appends it unless the entry lists it in any case already.
  AddImageResult AddImage(int entry, std::string_view name);
  // The entry's last image moves into `position` (1-based) and the count drops by one.
  void RemoveImage(int entry, int position);
  // Lower-cases `name` and puts it at `position` (1-based) in place of the name there, so the
  // entry's order stays. Refused (AlreadyListed) when another position lists it in any case;
  // NoEntry for a bad entry or position.
  AddImageResult ReplaceImage(int entry, int position, std::string_view name);
  // Gives the entry a new key; it keeps its number and its images. A key that cannot be stored
  // is not taken (callers check IsStorableKey first).
  void SetKey(int entry, std::string_view key);
  void Clear() { entries_.clear(); }

  // Only for taking changes back (otherwise entries are never deleted and a removed name never
  // comes back in its old place). TakeBackEntry takes the last entry away again when it is
  // `entry` and lists no image. RestoreImage undoes RemoveImage: `name` goes back to `position`
  // (1-based, at most one past the last) exactly as given, and the name standing there returns
  // to the end. Both are false, changing nothing, when the table does not allow it.
  bool TakeBackEntry(int entry);
  bool RestoreImage(int entry, int position, std::string_view name);

  // Appends as read from the file: no capacity check, no change notification.
  void AppendLoaded(IndexEntry entry) { entries_.push_back(std::move(entry)); }

  void SetObserver(std::function<void(const IndexChange&)> observer) {
    observer_ = std::move(observer);
  }
  const std::function<void(const IndexChange&)>& Observer() const { return observer_; }

 private:
  void Notify(IndexChange change) const {
    if (observer_) observer_(change);
  }
  std::vector<IndexEntry> entries_;
  std::function<void(const IndexChange&)> observer_;
};

// False for a key that index.dat cannot hold: a CR ends its line, a Ctrl-Z ends the file, and
// the game reads texts that end at a NUL. (A lone LF is an ordinary character of a line.)
bool IsStorableKey(std::string_view key);

// Parses the bytes of index.dat into `index` (cleared first), texts copied into the pool.
void ParseImageIndex(std::string_view bytes, ImageIndex& index);
// The exact bytes of index.dat for `index`.
std::string SerializeImageIndex(const ImageIndex& index);

}  // namespace qvm
