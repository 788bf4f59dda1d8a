#include "gamedb/LoadGameDatabase.h"

#include <optional>
#include <string>

#include "gamedb/GameReaders.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"
#include "tree/SortedView.h"

namespace qvm {
namespace {

// Finds game files below the game folder ("\" separators, any letter case on disk) and reads
// each whole. A file that cannot be read is noted as a finding and reads as nothing.
class GameFiles {
 public:
  GameFiles(const std::filesystem::path& root, GameDatabase& db) : root_(root), db_(db) {}

  std::optional<std::string> Read(std::string_view gamePath) {
    // A path that would leave the game folder (an empty circuit name gives "\teams.dat", a
    // name with ".." climbs out) is never read: it counts as a missing file.
    auto path = ResolveGamePath(root_, gamePath);
    std::optional<std::string> bytes;
    if (path && IsRegularFile(*path)) bytes = ReadWholeFile(*path);
    if (!bytes) AddFinding(db_, kFindingMissingFile, std::string(gamePath));
    return bytes;
  }

 private:
  const std::filesystem::path& root_;
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

std::string CircuitFile(std::string_view circuit, std::string_view name) {
  return std::string(circuit) + "\\" + std::string(name);
}

}  // namespace

// Each kind is complete before its sorted view is prepared; the circuit readers attach names
// to wrestlers by number, so the wrestlers come first; the index comes last.
void LoadGameDatabase(const std::filesystem::path& gameFolder, GameDatabase& db,
                      MessageBox& messages) {
  db.wrestlers.clear();
  db.teams.clear();
  db.stables.clear();
  db.managers.clear();
  db.titles.clear();
  db.findings.clear();
  GameFiles files(gameFolder, db);

  // The circuit names point into this buffer, which lives until loading ends. Without
  // "card.lgs" (a folder of that name does not count) there are no circuits.
  std::optional<std::string> cardLgs = files.Read("card.lgs");
  std::vector<std::string_view> circuits;
  if (cardLgs) circuits = ReadCircuitList(*cardLgs, db);

  ReadWrestlers(PairBytes(files, "data", "wrestlrs").View(), db);
  for (std::string_view circuit : circuits) {
    std::string path = CircuitFile(circuit, "circxdb.dat");
    if (auto bytes = files.Read(path)) ReadCircuitAliases(*bytes, path, db);
  }
  PrepareSortedView(db, Kind::Wrestlers);

  TeamReader teams(db);
  teams.ReadMain(PairBytes(files, "data", "teams").View());
  for (std::string_view circuit : circuits) teams.ReadCircuit(PairBytes(files, circuit, "teams").View());
  PrepareSortedView(db, Kind::TagTeams);

  StableReader stables(db);
  stables.ReadMain(PairBytes(files, "data", "stables").View());
  for (std::string_view circuit : circuits) {
    stables.ReadCircuit(PairBytes(files, circuit, "stables").View());
  }
  PrepareSortedView(db, Kind::Stables);

  ReadManagers(PairBytes(files, "data", "managers").View(), db);
  PrepareSortedView(db, Kind::Managers);

  for (std::string_view circuit : circuits) {
    std::string path = CircuitFile(circuit, "card.ttl");
    if (auto bytes = files.Read(path)) ReadTitles(*bytes, path, db);
  }
  PrepareSortedView(db, Kind::Titles);

  db.indexState = LoadImageIndex(gameFolder, db.imageIndex, messages);
}

}  // namespace qvm
