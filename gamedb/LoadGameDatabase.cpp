#include "gamedb/LoadGameDatabase.h"

#include <condition_variable>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "gamedb/GameReaders.h"
#include "gamedb/SortedView.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"

namespace qvm {
namespace {

// Files read whole, in a given order, a few ahead of the one who takes them, by threads of
// their own: on Windows every open waits on a round trip to the system, which two readers and
// the parsing of what came before overlap.
class ReadAhead {
 public:
  // Files read and not taken yet, at most; and no new file is begun while those hold this
  // much (a hostile game folder may hold huge files).
  static constexpr std::size_t kAhead = 8;
  static constexpr std::size_t kAheadBytes = std::size_t{32} << 20;

  // None for a path: that file reads as nothing.
  ReadAhead(Os& os, std::vector<std::optional<std::filesystem::path>> paths)
      : os_(os), paths_(std::move(paths)), files_(paths_.size()) {
    for (int i = 0; i < 2; ++i) {
      try {
        readers_.emplace_back([this] { ReadInTurn(); });
      } catch (const std::system_error&) {
        break;  // fewer readers, or the taker reads each file itself
      }
    }
  }
  ~ReadAhead() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& reader : readers_) reader.join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The bytes of file `i`, taken once, in order.
  std::optional<std::string> Take(std::size_t i) {
    if (readers_.empty()) return ReadOne(i);
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return files_[i].read; });
    taken_ = i + 1;
    if (files_[i].bytes) aheadBytes_ -= files_[i].bytes->size();
    changed_.notify_all();
    if (files_[i].failed) std::rethrow_exception(files_[i].failed);
    return std::move(files_[i].bytes);
  }

 private:
  struct File {
    bool read = false;
    std::optional<std::string> bytes;
    std::exception_ptr failed;  // thrown where it is taken (no memory for the bytes, say)
  };

  std::optional<std::string> ReadOne(std::size_t i) {
    if (!paths_[i]) return std::nullopt;
    return ReadWholeFile(os_, *paths_[i]);
  }

  void ReadInTurn() {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock<std::mutex> hold(mutex_);
        changed_.wait(hold, [&] {
          return stop_ || next_ >= paths_.size() ||
                 (next_ < taken_ + kAhead && (next_ == taken_ || aheadBytes_ < kAheadBytes));
        });
        if (stop_ || next_ >= paths_.size()) return;
        i = next_++;
      }
      File file;
      file.read = true;
      try {
        file.bytes = ReadOne(i);
      } catch (...) {
        file.failed = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> hold(mutex_);
        if (file.bytes) aheadBytes_ += file.bytes->size();
        files_[i] = std::move(file);
      }
      changed_.notify_all();
    }
  }

  Os& os_;
  const std::vector<std::optional<std::filesystem::path>> paths_;
  std::vector<File> files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;        // the next file to read
  std::size_t taken_ = 0;       // files taken so far
  std::size_t aheadBytes_ = 0;  // in files read and not taken
  bool stop_ = false;
  std::vector<std::thread> readers_;
};

// Finds game files below the game folder ("\" separators, any letter case on disk; each folder
// listed once) and reads each whole. A file that cannot be read is noted as a finding and
// reads as nothing.
class GameFiles {
 public:
  GameFiles(Os& os, const std::filesystem::path& root, GameDatabase& db)
      : os_(os), root_(root), resolver_(os, root), db_(db), asGiven_(os.FindsNamesInAnyCase()) {}

  std::optional<std::string> Read(std::string_view gamePath) {
    std::optional<std::string> bytes;
    if (ahead_ && taken_ < planned_.size() && planned_[taken_] == gamePath) {
      bytes = ahead_->Take(taken_++);
    } else if (auto path = Resolve(gamePath)) {
      bytes = ReadWholeFile(os_, *path);
    }
    if (!bytes) {
      if (auto path = ListedOtherwise(gamePath)) bytes = ReadWholeFile(os_, *path);
    }
    if (!bytes) AddFinding(db_, kFindingMissingFile, std::string(gamePath));
    return bytes;
  }

  // Starts reading `gamePaths` ahead, for Read to take in this order, where opens are slow.
  void Plan(std::vector<std::string> gamePaths) {
    if (!os_.OpensAreSlow()) return;
    std::vector<std::optional<std::filesystem::path>> paths;
    for (const std::string& gamePath : gamePaths) paths.push_back(Resolve(gamePath));
    planned_ = std::move(gamePaths);
    ahead_ = std::make_unique<ReadAhead>(os_, std::move(paths));
  }

  // Lists the folders the files will be read from (see GamePathResolver::ListFolder); where
  // the system finds names in any letter case, they are opened as given instead.
  void ListFolder(std::string_view gamePath) {
    if (!asGiven_) resolver_.ListFolder(gamePath);
  }

 private:
  // A path that would leave the game folder (an empty circuit name gives "\teams.dat", a
  // name with ".." climbs out) is never read: it counts as a missing file. So does anything
  // but a regular file.
  std::optional<std::filesystem::path> Resolve(std::string_view gamePath) {
    if (asGiven_) return GamePathAsGiven(root_, gamePath);
    return resolver_.Resolve(gamePath);
  }

  // Where a file was not found by the name as given: the path the folder's listing spells
  // otherwise (a folder that tells letter case apart, which Windows can have too, or a name
  // that may be a short 8.3 name), so that no file is tried twice by the same path.
  std::optional<std::filesystem::path> ListedOtherwise(std::string_view gamePath) {
    if (!asGiven_) return std::nullopt;
    auto listed = resolver_.Resolve(gamePath);
    const auto given = GamePathAsGiven(root_, gamePath);
    if (listed && given && listed->native() == given->native()) return std::nullopt;
    return listed;
  }

  Os& os_;
  const std::filesystem::path root_;
  GamePathResolver resolver_;
  GameDatabase& db_;
  const bool asGiven_;  // the system finds names in any letter case
  std::vector<std::string> planned_;
  std::size_t taken_ = 0;
  std::unique_ptr<ReadAhead> ahead_;
};

// The bytes of a .dat/.idx pair, kept alive while its reader runs.
struct PairBytes {
  std::string dataPath;
  std::optional<std::string> data;
  std::optional<std::string> offsets;

  PairBytes(GameFiles& files, std::string_view folder, std::string_view stem)
      : dataPath(std::string(folder) + "\\" + std::string(stem) + ".dat") {
    data = files.Read(dataPath);
    offsets = files.Read(std::string(folder) + "\\" + std::string(stem) + ".idx");
  }

  RecordFiles View() const {
    RecordFiles view{dataPath, std::nullopt, std::nullopt};
    if (data) view.data = *data;
    if (offsets) view.offsets = *offsets;
    return view;
  }
};

// media/index.dat, read and parsed on a second thread into texts of its own, which join the
// pool when the work is taken.
class IndexReader {
 public:
  IndexReader(Os& os, const GamePaths& paths, const IndexReadWork& onIndexRead)
      : os_(os), paths_(paths), onIndexRead_(onIndexRead) {
    try {
      job_ = std::async(std::launch::async, [this] { Read(); });
    } catch (const std::system_error&) {
      // No second thread: the index is read when it is taken.
    }
  }
  ~IndexReader() {
    if (job_.valid()) job_.wait();
  }

  void TakeInto(GameDatabase& db) {
    if (job_.valid()) {
      job_.get();
    } else {
      Read();
    }
    texts_.AddToCurrentPool();
    db.imageIndex = std::move(index_);
    db.indexState = state_;
  }

 private:
  void Read() {
    ThreadTexts::Use use(texts_);
    state_ = LoadImageIndex(os_, paths_, index_);
    if (onIndexRead_) onIndexRead_(index_);
  }

  Os& os_;
  const GamePaths& paths_;
  const IndexReadWork& onIndexRead_;
  ThreadTexts texts_;
  ImageIndex index_;
  IndexFileState state_;
  std::future<void> job_;
};

std::string CircuitFile(std::string_view circuit, std::string_view name) {
  return std::string(circuit) + "\\" + std::string(name);
}

// Every file LoadGameDatabase reads once card.lgs is read, in its order.
std::vector<std::string> FilesInLoadingOrder(const std::vector<std::string_view>& circuits) {
  std::vector<std::string> files;
  auto pair = [&](std::string_view folder, std::string_view stem) {
    files.push_back(CircuitFile(folder, std::string(stem) + ".dat"));
    files.push_back(CircuitFile(folder, std::string(stem) + ".idx"));
  };
  auto everyCircuit = [&](auto add) {
    for (std::string_view circuit : circuits) add(circuit);
  };
  pair("data", "wrestlrs");
  everyCircuit([&](std::string_view c) { files.push_back(CircuitFile(c, "circxdb.dat")); });
  pair("data", "teams");
  everyCircuit([&](std::string_view c) { pair(c, "teams"); });
  pair("data", "stables");
  everyCircuit([&](std::string_view c) { pair(c, "stables"); });
  pair("data", "managers");
  everyCircuit([&](std::string_view c) { files.push_back(CircuitFile(c, "card.ttl")); });
  return files;
}

}  // namespace

// Each kind is complete before its sorted view is prepared; the circuit readers attach names
// to wrestlers by number, so the wrestlers come first; the index, read alongside, is taken
// last.
void LoadGameDatabase(Os& os, const GamePaths& paths, GameDatabase& db,
                      const IndexReadWork& onIndexRead,
                      const std::function<void()>& onFoldersListed) {
  db.wrestlers.clear();
  db.teams.clear();
  db.stables.clear();
  db.managers.clear();
  db.titles.clear();
  db.findings.clear();
  db.strayNamesAtStart = {};
  // The index is read alongside: nothing of it depends on the game files.
  IndexReader index(os, paths, onIndexRead);
  GameFiles files(os, paths.game, db);

  // The circuit names point into this buffer, which lives until loading ends. Without
  // "card.lgs" (a folder of that name does not count) there are no circuits.
  std::optional<std::string> cardLgs = files.Read("card.lgs");
  std::vector<std::string_view> circuits;
  if (cardLgs) circuits = ReadCircuitList(*cardLgs, db);
  files.ListFolder("data");
  for (std::string_view circuit : circuits) files.ListFolder(circuit);
  if (onFoldersListed) onFoldersListed();
  files.Plan(FilesInLoadingOrder(circuits));

  ReadWrestlers(PairBytes(files, "data", "wrestlrs").View(), db);
  AliasHashes aliasHashes;
  for (std::string_view circuit : circuits) {
    std::string path = CircuitFile(circuit, "circxdb.dat");
    if (auto bytes = files.Read(path)) ReadCircuitAliases(*bytes, path, db, &aliasHashes);
  }
  PrepareSortedView(db, RecordKind::Wrestler);

  TeamReader teams(db);
  teams.ReadMain(PairBytes(files, "data", "teams").View());
  for (std::string_view circuit : circuits)
    teams.ReadCircuit(PairBytes(files, circuit, "teams").View());
  PrepareSortedView(db, RecordKind::TagTeam);

  StableReader stables(db);
  stables.ReadMain(PairBytes(files, "data", "stables").View());
  for (std::string_view circuit : circuits) {
    stables.ReadCircuit(PairBytes(files, circuit, "stables").View());
  }
  PrepareSortedView(db, RecordKind::Stable);

  ReadManagers(PairBytes(files, "data", "managers").View(), db);
  PrepareSortedView(db, RecordKind::Manager);

  for (std::string_view circuit : circuits) {
    std::string path = CircuitFile(circuit, "card.ttl");
    if (auto bytes = files.Read(path)) ReadTitles(*bytes, path, db);
  }
  PrepareSortedView(db, RecordKind::Title);

  index.TakeInto(db);
}

}  // namespace qvm
