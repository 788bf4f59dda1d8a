// The whole load sequence on game folders: file lookup, circuits, order, findings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "gamedb/LoadGameDatabase.h"
#include "tests/support/GameWriter.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

using namespace gamefiles;  // the game's file formats, written
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class LoadGameDatabaseTest : public test::PoolTest {
 protected:

  void WritePair(const std::string& stem, const RecordPair& pair) {
    game.Write(stem + ".dat", pair.dat);
    game.Write(stem + ".idx", pair.idx);
  }
  // The system's Os; with `asOnWindows`, one that says, as Windows does, that the system finds
  // names in any letter case and that opens are slow: files are then opened as named (the
  // listings decide where that fails) and read ahead on threads of their own.
  void Load(bool asOnWindows = false) {
    struct WindowsLikeOs : test::FaultyOs {
      bool FindsNamesInAnyCase() const override { return true; }
      bool OpensAreSlow() const override { return true; }
    } windowsLike;
    db = GameDatabase();
    LoadGameDatabase(asOnWindows ? static_cast<Os&>(windowsLike) : SystemOs(), game.Paths(), db);
    EXPECT_TRUE(db.indexState.loaded);
  }
  // Aliases as a set: the sorted view may reorder them after loading.
  std::vector<std::string> Aliases(int wrestler) const {
    std::vector<std::string> out;
    for (const Alias& a : db.wrestlers[static_cast<size_t>(wrestler) - 1].aliases)
      out.emplace_back(a.text);
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<std::string> Findings() const {
    std::vector<std::string> out;
    for (const LoadFinding& f : db.findings) out.push_back(f.kind + ": " + f.detail);
    return out;
  }
  // A small complete game: three wrestlers, a team, a stable, a manager.
  void WriteMainFiles() {
    WritePair("data/wrestlrs",
              MakePair({Lines({"Alpha", "x"}), Lines({"Beta", "x"}), Lines({"Gamma", "x"})}));
    WritePair("data/teams", MakePair({Lines({"Alpha", "Beta", "", "x"})}));
    WritePair("data/stables", MakePair({Lines({"Clan", "2", "1,2"})}));
    WritePair("data/managers", MakePair({Lines({"Boss"})}));
  }

  test::GameFolder game;
  GameDatabase db;
};

TEST_F(LoadGameDatabaseTest, CircuitsAddToTheMainFilesInListOrder) {
  WriteMainFiles();
  // Folder names with "\" inside and letter cases that differ on disk.
  game.Write("card.lgs", Lines({"First", "Circuits\\One", "1", "Second", "TWO"}));
  game.Write("CIRCUITS/one/CIRCXDB.DAT", CircuitFile({"Alpha", "Bee"}));
  game.Write("two/circxdb.dat", CircuitFile({"ALPHA", "Bee", "Gee"}));
  WritePair("CIRCUITS/one/Teams",
            MakePair({Lines({"Alpha", "Beta", ""}), Lines({"G", "B", "Duo"})}));
  WritePair("two/teams", MakePair({Lines({"X", "Y", "Duo"}), Lines({"X", "Y", "Trio"})}));
  WritePair("CIRCUITS/one/stables", MakePair({Lines({"Clan", "3", "3,1,2"})}));
  WritePair("two/stables", MakePair({Lines({"Band", "1", "3"})}));
  game.Write("CIRCUITS/one/CARD.TTL", gamefiles::TitleFile({"Belt", "Cup"}));
  game.Write("two/card.ttl", gamefiles::TitleFile({"Belt"}));
  for (bool asOnWindows : {false, true}) {
    SCOPED_TRACE(asOnWindows ? "as on Windows" : "names from listings");
    Load(asOnWindows);

    ASSERT_EQ(db.wrestlers.size(), 3u);
    EXPECT_THAT(Aliases(1), UnorderedElementsAre("Alpha", "ALPHA"));
    EXPECT_THAT(Aliases(2), UnorderedElementsAre("Beta", "Bee"));
    EXPECT_THAT(Aliases(3), UnorderedElementsAre("Gamma", "Gee"));
    std::vector<std::string> teams, stables, titles;
    for (const Team& t : db.teams) teams.emplace_back(t.name);
    for (const Stable& s : db.stables) stables.emplace_back(s.name);
    for (const Title& t : db.titles) titles.emplace_back(t.name);
    EXPECT_THAT(teams, ElementsAre("Alpha and Beta", "Duo", "Trio"));
    EXPECT_THAT(stables, ElementsAre("Clan", "Band"));
    EXPECT_THAT(db.stables[0].members, ElementsAre(1, 2, 3));
    EXPECT_THAT(titles, ElementsAre("Belt", "Cup", "Belt"));
    ASSERT_EQ(db.managers.size(), 1u);
    EXPECT_EQ(db.managers[0].name, "Boss");
    EXPECT_THAT(Findings(), IsEmpty());
    EXPECT_TRUE(db.indexState.loaded);
  }
}

TEST_F(LoadGameDatabaseTest, WithoutCardLgsOnlyTheMainFilesAreRead) {
  WriteMainFiles();
  game.Write("c1/circxdb.dat", CircuitFile({"Other"}));
  game.Write("c1/card.ttl", gamefiles::TitleFile({"Belt"}));
  for (bool asFolder : {false, true}) {
    if (asFolder) std::filesystem::create_directory(game / "card.lgs");
    db = GameDatabase();
    Load();
    EXPECT_EQ(db.wrestlers.size(), 3u);
    EXPECT_THAT(Aliases(1), ElementsAre("Alpha"));
    EXPECT_THAT(db.titles, IsEmpty());
    EXPECT_EQ(db.teams.size(), 1u);
    EXPECT_THAT(Findings(), ElementsAre("missing-file: card.lgs"));
  }
}

TEST_F(LoadGameDatabaseTest, MissingFilesLeaveTheirTablesEmptyAndAreReported) {
  WriteMainFiles();
  std::filesystem::remove(game / "data/stables.dat");
  std::filesystem::remove(game / "data/managers.idx");
  // A circuit without files, one with a folder name that would leave the game folder, and one
  // whose team pair lacks its offset file.
  game.Write("card.lgs", Lines({"x", "Gone", "x", "x", "..\\outside", "x", "x", "c3", "x"}));
  game.Write("c3/teams.dat", "1\r\nA\r\nB\r\nT\r\n");
  game.Write("c3/circxdb.dat", CircuitFile({"Alpha"}));
  game.Write("c3/card.ttl", "0\r\n");
  for (bool asOnWindows : {false, true}) {
    SCOPED_TRACE(asOnWindows ? "as on Windows" : "names from listings");
    Load(asOnWindows);
    EXPECT_EQ(db.wrestlers.size(), 3u);
    EXPECT_EQ(db.teams.size(), 1u);
    EXPECT_THAT(db.stables, IsEmpty());
    ASSERT_EQ(db.managers.size(), 1u);
    EXPECT_EQ(db.managers[0].name, "") << "without offsets a record reads as empty";
    std::vector<std::string> missing;
    for (const LoadFinding& f : db.findings) {
      if (f.kind == "missing-file") missing.push_back(f.detail);
    }
    EXPECT_THAT(missing,
                ElementsAre("Gone\\circxdb.dat", "..\\outside\\circxdb.dat", "Gone\\teams.dat",
                            "Gone\\teams.idx", "..\\outside\\teams.dat", "..\\outside\\teams.idx",
                            "c3\\teams.idx", "data\\stables.dat", "Gone\\stables.dat",
                            "Gone\\stables.idx", "..\\outside\\stables.dat",
                            "..\\outside\\stables.idx", "c3\\stables.dat", "c3\\stables.idx",
                            "data\\managers.idx", "Gone\\card.ttl", "..\\outside\\card.ttl"));
  }
}

TEST_F(LoadGameDatabaseTest, CountAndOffsetsOfThePairDecideTheRecords) {
  // Count 0 with offsets listed: nothing. Records lying in reverse order: followed as listed.
  RecordPair wrestlers =
      MakePair({Lines({"First"}), Lines({"Second"}), Lines({"Third"})}, {3, 1, 2});
  WritePair("data/wrestlrs", wrestlers);
  RecordPair managers = MakePair({Lines({"Boss"})});
  managers.dat = "0\r\n" + managers.dat.substr(3);
  WritePair("data/managers", managers);
  Load();
  std::vector<std::string> names;
  for (const Wrestler& w : db.wrestlers) names.emplace_back(w.name);
  EXPECT_THAT(names, ElementsAre("First", "Second", "Third"));
  EXPECT_THAT(db.managers, IsEmpty());
}

}  // namespace
}  // namespace qvm
