// check: a health report of the game folder and its index, one finding per line beginning with
// its kind, so that grep can pick them.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "gamedb/GameReaders.h"
#include "images/ExifOrientation.h"
#include "images/MediaFile.h"
#include "images/PictureHeader.h"
#include "images/PictureScan.h"
#include "index/IndexLookup.h"
#include "platform/Cp1252.h"
#include "platform/GamePath.h"
#include "platform/Os.h"
#include "platform/PathText.h"
#include "tree/Keys.h"

namespace qvm::cli {
namespace {
namespace fs = std::filesystem;

// Kind words of the index and picture findings (the loading findings bring their own).
constexpr std::string_view kIndexUnreadable = "index";
constexpr std::string_view kEmptyName = "empty-name";
constexpr std::string_view kShadowedKey = "shadowed-key";
constexpr std::string_view kUnsafeName = "unsafe-name";
constexpr std::string_view kMissingPicture = "missing-picture";
constexpr std::string_view kCaseConflict = "case-conflict";
constexpr std::string_view kBadPicture = "bad-picture";
constexpr std::string_view kUnknownKey = "unknown-key";
constexpr std::string_view kUnnamable = "unnamable-picture";
constexpr std::string_view kTurnedPicture = "turned-picture";

struct Finding {
  Finding(std::string_view kind_, std::string text_, int entry_ = 0,
          std::optional<std::string> key_ = std::nullopt)
      : kind(kind_), text(std::move(text_)), entry(entry_), key(std::move(key_)) {}
  std::string kind;
  std::string text;  // CP1252, one line
  int entry = 0;     // the index entry it concerns, 1-based; 0 for none
  std::optional<std::string> key;
  std::vector<std::string> names;   // picture names (as listed or as on disk)
  std::optional<std::string> uses;  // case-conflict: the file index names lead to
};

std::string EntryText(int number, std::string_view key) {
  return "entry " + std::to_string(number) + " " + Quoted(key);
}

std::string ListOfQuoted(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += Quoted(names[i]);
  }
  return text;
}

// The keys the game's entities look up, upper-cased and trimmed as GetImages trims them; the
// keys of a stable with some of its members are recognised by the stable's name before " (".
class ProducedKeys {
 public:
  explicit ProducedKeys(const GameDatabase& db) {
    for (const Wrestler& w : db.wrestlers) {
      Add(w.name);
      for (const Alias& alias : w.aliases) Add(alias.text);
    }
    for (const Team& t : db.teams) Add(TeamKey(t.name, t.member1, t.member2));
    for (const Stable& s : db.stables) {
      Add(s.name);  // the key line shows the bare name until members are picked
      std::string_view name = s.name;
      name.remove_prefix(std::min(name.size(), name.find_first_not_of(' ')));
      stables_.insert(UpperCp1252(name));
    }
    for (const Manager& m : db.managers) Add(m.name);
    for (const Title& t : db.titles) Add(t.name);
  }

  bool Produces(std::string_view key) const {
    // The show/match panel's keys ("show|match") belong to no entity of the tree.
    if (key.find('|') != std::string_view::npos) return true;
    std::string upper = UpperCp1252(key);
    if (keys_.count(upper)) return true;
    bool stable = false;
    ForEachStablePrefix(upper, [&](std::string_view prefix) {
      stable = stable || stables_.count(std::string(prefix)) != 0;
    });
    return stable;
  }

 private:
  void Add(std::string_view key) { keys_.insert(UpperCp1252(TrimSpaces(key))); }
  std::unordered_set<std::string> keys_;
  std::unordered_set<std::string> stables_;
};

class Checker {
 public:
  Checker(const GameDatabase& db, PictureScan& scan)
      : db_(db), index_(db.imageIndex), lookup_(index_), scan_(scan) {}

  // Hands every finding to `report` as soon as it is found: an index with millions of missing
  // names must not hold them all at once.
  void Run(const std::function<void(const Finding&)>& report) {
    report_ = &report;
    for (const LoadFinding& f : db_.findings) Add({f.kind, OneLine(f.detail)});
    if (!db_.indexState.loaded) {
      Add({kIndexUnreadable, "media\\index.dat cannot be read"});
    }
    CheckCapacities();
    CheckEmptyNames();
    CheckShadowedKeys();
    CheckNamesInMedia();
    CheckCaseConflicts();
    CheckUnnamable();
    CheckPictures();
    CheckUnknownKeys();  // last: the least urgent, and long on a game with old picture packs
  }

 private:
  void Add(const Finding& f) { (*report_)(f); }

  std::size_t Position(const FolderEntry& entry) const {
    return static_cast<std::size_t>(&entry - media_.Entries().data());
  }
  // True when the entry is a file a picture name may open (worked out once per entry: a link
  // is looked at on the disk).
  bool Opens(const FolderEntry& entry) {
    signed char& known = opens_[Position(entry)];
    if (known < 0) known = entry.type == EntryType::Regular || media_.FileOf(entry) ? 1 : 0;
    return known == 1;
  }
  Finding About(std::string_view kind, int entry, std::string text) {
    return {kind, EntryText(entry, index_.Entry(entry).key) + text, entry,
            std::string(index_.Entry(entry).key)};
  }

  void CheckCapacities() {
    if (index_.EntryCount() > kIndexEntryCapacity) {
      Add({kFindingCapacity, "media\\index.dat holds " + std::to_string(index_.EntryCount()) +
                                 " entries; the table holds " +
                                 std::to_string(kIndexEntryCapacity) +
                                 ", so the wizard adds no entry (all are kept)"});
    }
    for (int e = 1; e <= index_.EntryCount(); ++e) {
      const std::size_t count = index_.Entry(e).images.size();
      if (count <= static_cast<std::size_t>(kImagesPerEntryCapacity)) continue;
      Add(About(kFindingCapacity, e,
                " lists " + std::to_string(count) + " picture names; an entry holds " +
                    std::to_string(kImagesPerEntryCapacity) +
                    ", so the wizard adds none to it (all are kept)"));
    }
  }

  void CheckEmptyNames() {
    for (int e = 1; e <= index_.EntryCount(); ++e) {
      const IndexEntry& entry = index_.Entry(e);
      if (entry.key.empty()) {
        Add({kEmptyName, "entry " + std::to_string(e) + " has an empty key", e, std::string()});
      }
      // Reading drops repeated names, so an entry holds at most one empty name.
      if (std::find(entry.images.begin(), entry.images.end(), Text()) == entry.images.end()) {
        continue;
      }
      Add(About(kEmptyName, e,
                entry.images.size() == 1
                    ? " lists no picture (its picture line is empty)"
                    : " lists an empty picture name (\"||\", or \"|\" at the start or end)"));
    }
  }

  void CheckShadowedKeys() {
    for (int e = 1; e <= index_.EntryCount(); ++e) {
      const int first = lookup_.ShadowedBy(e);
      if (first == 0) continue;
      const bool same = index_.Entry(first).key == index_.Entry(e).key;
      Add(About(kShadowedKey, e,
                " is never found: " + EntryText(first, index_.Entry(first).key) +
                    (same ? " comes first with the same key"
                          : " comes first and differs only "
                            "in letter case")));
    }
  }

  void CheckNamesInMedia() {
    for (int e = 1; e <= index_.EntryCount(); ++e) {
      for (Text name : index_.Entry(e).images) {
        if (name.empty()) continue;
        if (!IsPlainFileName(name)) {
          Finding f =
              About(kUnsafeName, e,
                    ": " + Quoted(name) + " is no plain file name; the wizard never opens it");
          f.names = {std::string(name)};
          Add(std::move(f));
          continue;
        }
        // The one listing of media finds the entry the resolver would, with its type: a
        // regular file needs no look at the disk, only a link does.
        const FolderEntry* entry = media_.Find(name);
        if (entry && Opens(*entry)) {
          indexed_[Position(*entry)] = true;
          continue;
        }
        Finding f = About(kMissingPicture, e,
                          ": " + Quoted(name) +
                              (!entry ? " has no file in media"
                                      : " is no regular file in media, or a link that leads out "
                                        "of the game folder"));
        f.names = {std::string(name)};
        Add(std::move(f));
      }
    }
  }

  void CheckCaseConflicts() {
    std::unordered_map<std::string, std::vector<std::string>> byCase;
    std::vector<std::string> order;  // first spellings, in listing order
    for (const std::string& name : pictures_) {
      auto& group = byCase[UpperCp1252(name)];
      if (group.empty()) order.push_back(UpperCp1252(name));
      group.push_back(name);
    }
    for (const std::string& upper : order) {
      const std::vector<std::string>& group = byCase[upper];
      if (group.size() < 2) continue;
      // Index names are lower case: the resolver shows which file they lead to.
      const std::string lower = LowerCp1252(group.front());
      std::optional<std::string> uses;
      if (const FolderEntry* entry = media_.Find(lower); entry && Opens(*entry)) {
        uses = Cp1252FromPath(entry->name);
      }
      Finding f{kCaseConflict,
                "media holds " + ListOfQuoted(group) +
                    ", names that differ only in letter case; the index name " + Quoted(lower) +
                    (uses ? " leads to " + Quoted(*uses) : " leads to none of them")};
      f.names = group;
      f.uses = uses;
      Add(std::move(f));
    }
  }

  // Pictures no index entry could ever name, and so missing from the stray list: said once.
  void CheckUnnamable() {
    if (unnamable_.empty()) return;
    std::sort(unnamable_.begin(), unnamable_.end());
    std::vector<std::string> shown;
    for (const std::string& onDisk : unnamable_) shown.push_back(ShownFileName(onDisk, true));
    const std::size_t n = shown.size();
    Finding f{kUnnamable, "media holds " + std::to_string(n) +
                              (n == 1 ? " picture file whose name" : " picture files whose names") +
                              " Windows-1252 cannot hold, so no index entry can name " +
                              (n == 1 ? "it" : "them") + " and the stray list leaves " +
                              (n == 1 ? "it" : "them") + " out: " + ListOfQuoted(shown)};
    f.names = std::move(shown);
    Add(f);
  }

  void CheckPictures() {
    // The files the index leads to, sorted: checked after the listed pictures (the picture
    // patterns do not list "x.png"), and the only ones where a turned picture matters: a stray
    // one, such as the original an upright copy replaced, is no finding, or check would never
    // come clean after upright.
    std::vector<std::string> shownByGame;
    for (std::size_t i = 0; i < indexed_.size(); ++i) {
      if (indexed_[i]) shownByGame.push_back(Utf8FromPath(media_.Entries()[i].name));
    }
    std::sort(shownByGame.begin(), shownByGame.end());
    std::unordered_set<std::string> seen;
    auto check = [&](const std::string& onDisk) {
      if (!seen.insert(onDisk).second) return;
      // The preview's own rule: what it does not show is a bad picture, and why.
      const PictureHeader header = scan_.Header(onDisk);
      std::string_view kind = kBadPicture;
      std::string why;
      if (!header.Shown()) {
        why = PictureProblemText(header);
      } else if (header.orientation != 1 &&
                 std::binary_search(shownByGame.begin(), shownByGame.end(), onDisk)) {
        kind = kTurnedPicture;
        why = TurnedPictureText(header.orientation);
      } else {
        return;
      }
      std::string name = Cp1252FromUtf8(onDisk).value_or(onDisk);
      Finding f{kind, Quoted(name) + " " + why};
      f.names = {name};
      Add(std::move(f));
    };
    for (const std::string& name : pictures_) check(Utf8FromCp1252(name));
    for (const std::string& onDisk : shownByGame) check(onDisk);
  }

  void CheckUnknownKeys() {
    const ProducedKeys produced(db_);
    for (int e = 1; e <= index_.EntryCount(); ++e) {
      Text key = index_.Entry(e).key;
      // Empty and shadowed keys are reported above already.
      if (key.empty() || lookup_.ShadowedBy(e) != 0 || produced.Produces(key)) continue;
      Add(About(kUnknownKey, e,
                ": no wrestler, tag team, stable, manager or title of the game "
                "has this key"));
    }
  }

  const GameDatabase& db_;
  const ImageIndex& index_;
  const IndexLookup lookup_;
  PictureScan& scan_;
  const MediaListing& media_ = scan_.Media();
  const std::vector<std::string>& pictures_ = scan_.Pictures();
  std::vector<std::string> unnamable_ = scan_.Unnamable();
  std::vector<signed char> opens_ = std::vector<signed char>(media_.Entries().size(), -1);
  std::vector<bool> indexed_ = std::vector<bool>(media_.Entries().size());  // the index leads there
  const std::function<void(const Finding&)>* report_ = nullptr;
};

void WriteJson(JsonWriter& json, const Finding& f) {
  json.BeginObject();
  json.Member("kind", f.kind);
  json.Cp1252Member("text", f.text);
  if (f.entry != 0) {
    json.Member("entry", f.entry);
    json.Cp1252Member("key", f.key.value_or(std::string()));
  }
  if (!f.names.empty()) {
    json.Key("names");
    json.BeginArray();
    for (const std::string& name : f.names) json.Cp1252String(name);
    json.EndArray();
  }
  if (f.uses) json.Cp1252Member("uses", *f.uses);
  json.EndObject();
}

}  // namespace

int RunCheck(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "check takes no arguments but --json");
  // The pictures are listed and their headers read while the game loads.
  PictureScan scan(ctx.os, ctx.paths);
  auto game = LoadGame(ctx);
  std::optional<JsonWriter> json;
  if (ctx.json) {
    json.emplace(ctx.out);
    json->BeginArray();
  }
  bool any = false;
  Checker(game->db, scan).Run([&](const Finding& f) {
    any = true;
    if (json) {
      WriteJson(*json, f);
    } else {
      PrintLine(ctx.out, f.kind + ": " + f.text);
    }
  });
  if (json) json->EndArray();
  return any ? kExitNotFound : kExitOk;
}

}  // namespace qvm::cli
