#include "gamedb/LoadGameDatabase.h"

#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "gamedb/GameReaders.h"
#include "gamedb/SortedView.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"

namespace qvm {
namespace {

// Finds game files below the game folder ("\" separators, any letter case on disk; each folder
// listed once) and reads each whole. A file that cannot be read is noted as a finding and
// reads as nothing.
class GameFiles {
 public:
  GameFiles(Os& os, const std::filesystem::path& root, GameDatabase& db)
      : os_(os), resolver_(os, root), db_(db) {}

  std::optional<std::string> Read(std::string_view gamePath) {
    // A path that would leave the game folder (an empty circuit name gives "\teams.dat", a
    // name with ".." climbs out) is never read: it counts as a missing file. So does anything
    // but a regular file.
    auto path = resolver_.Resolve(gamePath);
    std::optional<std::string> bytes;
    if (path) bytes = ReadWholeFile(os_, *path);
    if (!bytes) AddFinding(db_, kFindingMissingFile, std::string(gamePath));
    return bytes;
  }

  // Lists the folders the files will be read from (see GamePathResolver::ListFolder).
  void ListFolder(std::string_view gamePath) { resolver_.ListFolder(gamePath); }

 private:
  Os& os_;
  GamePathResolver resolver_;
  GameDatabase& db_;
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
