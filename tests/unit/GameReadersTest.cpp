// The readers of each file family, fed bytes directly.
#include "gamedb/GameReaders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/GameWriter.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

using gamefiles::CircuitFile;
using gamefiles::Lines;
using gamefiles::MakePair;
using gamefiles::RecordPair;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class GameReadersTest : public test::PoolTest {
 protected:

  static RecordFiles View(const RecordPair& pair, std::string_view path = "data\\x.dat") {
    return RecordFiles{path, pair.dat, pair.idx};
  }
  void AddWrestlers(const std::vector<std::string>& names) {
    std::vector<std::string> records;
    for (const auto& name : names) records.push_back(Lines({name, "more", "lines"}));
    ReadWrestlers(View(MakePair(records)), db);
  }
  std::vector<std::string> Aliases(int wrestler) const {
    std::vector<std::string> out;
    for (const Alias& a : db.wrestlers[static_cast<size_t>(wrestler) - 1].aliases)
      out.emplace_back(a.text);
    return out;
  }
  std::vector<std::string> TeamNames() const {
    std::vector<std::string> out;
    for (const Team& t : db.teams) out.emplace_back(t.name);
    return out;
  }
  std::vector<std::string> StableNames() const {
    std::vector<std::string> out;
    for (const Stable& s : db.stables) out.emplace_back(s.name);
    return out;
  }
  std::vector<std::string> FindingKinds() const {
    std::vector<std::string> out;
    for (const LoadFinding& f : db.findings) out.push_back(f.kind);
    return out;
  }

  GameDatabase db;
};

std::string TeamRecord(const std::string& m1, const std::string& m2, const std::string& name) {
  return Lines({m1, m2, name, "rest of the record"});
}

std::string StableRecord(const std::string& name, const std::string& members) {
  return name + "\r\n" + members + "\r\nrest\r\n";
}

TEST_F(GameReadersTest, CircuitListTakesTheSecondLineOfEachGroup) {
  struct Case {
    std::string in;
    std::vector<std::string> circuits;
  };
  const Case cases[] = {
      {"", {}},
      {Lines({"One", "c1", "x", "Two", "Sub\\c2", "y"}), {"c1", "Sub\\c2"}},
      {Lines({"One", "c1", "x", "Two", "c2"}), {"c1", "c2"}},  // incomplete last group counts
      {Lines({"One", "c1", "x", "Two"}), {"c1", ""}},
      {"One\r\n c1 \r\n", {" c1 "}},  // taken exactly as read
      {"One\r\nc1\r\nx\r\n\x1A" "Two\r\nc2\r\n", {"c1"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (std::string_view circuit : ReadCircuitList(c.in, db)) got.emplace_back(circuit);
    EXPECT_EQ(got, c.circuits) << c.in;
  }
  EXPECT_TRUE(db.findings.empty());
}

TEST_F(GameReadersTest, CircuitAliasesAreAddedOnceByteForByte) {
  AddWrestlers({"Alpha", "Beta", "Gamma", "Delta"});
  ReadCircuitAliases(CircuitFile({"Alpha", "Bee", "GAMMA"}), "c1\\circxdb.dat", db);
  // More records than wrestlers: the fifth is ignored. Wrestler 2's new name repeats.
  ReadCircuitAliases(CircuitFile({"The A", "Bee", "Gamma", "Delta", "Nobody"}), "c2\\circxdb.dat",
                     db);
  EXPECT_THAT(Aliases(1), ElementsAre("Alpha", "The A"));
  EXPECT_THAT(Aliases(2), ElementsAre("Beta", "Bee"));
  EXPECT_THAT(Aliases(3), ElementsAre("Gamma", "GAMMA"));
  EXPECT_THAT(Aliases(4), ElementsAre("Delta"));
  EXPECT_EQ(db.wrestlers[0].name, "Alpha");
  EXPECT_NE(db.wrestlers[0].name.data(), db.wrestlers[0].aliases[0].text.data())
      << "alias 1 is a copy of its own";
  EXPECT_TRUE(db.findings.empty());
}

TEST_F(GameReadersTest, CircuitFileEndingEarlyAddsOneEmptyAliasPerMissingRecord) {
  AddWrestlers({"Alpha", "Beta", "Gamma", "Delta"});
  // Says 3 records but holds one: wrestlers 2 and 3 get an empty alias, 4 is beyond the count.
  ReadCircuitAliases(CircuitFile({"Alpha"}, "3\r\n"), "c1\\circxdb.dat", db);
  ReadCircuitAliases(CircuitFile({"Alpha"}, "3\r\n"), "c2\\circxdb.dat", db);
  EXPECT_THAT(Aliases(1), ElementsAre("Alpha"));
  EXPECT_THAT(Aliases(2), ElementsAre("Beta", ""));
  EXPECT_THAT(Aliases(3), ElementsAre("Gamma", ""));
  EXPECT_THAT(Aliases(4), ElementsAre("Delta"));
  EXPECT_THAT(FindingKinds(), ElementsAre("short-file", "short-file"));
}

TEST_F(GameReadersTest, AWrestlerKeepsAtMostTwentyNames) {
  AddWrestlers({"Alpha"});
  for (int c = 1; c <= 25; ++c) {
    ReadCircuitAliases(CircuitFile({"Alpha " + std::to_string(c)}), "c\\circxdb.dat", db);
  }
  ASSERT_EQ(db.wrestlers[0].aliases.size(), 20u);
  EXPECT_EQ(db.wrestlers[0].aliases[19].text, "Alpha 19");
  EXPECT_EQ(db.findings.size(), 6u);
  EXPECT_THAT(db.findings[0].detail, HasSubstr("\"Alpha 20\" of wrestler 1"));
}

TEST_F(GameReadersTest, TeamsAreNamedAndCircuitTeamsDroppedByExactName) {
  TeamReader teams(db);
  teams.ReadMain(View(MakePair({TeamRecord("Alpha", "Beta", ""), TeamRecord("Gam", "Del", "   "),
                                TeamRecord("X", "Y", "The Pair"), TeamRecord("Z", "W", "The Pair")})));
  teams.ReadCircuit(View(MakePair({
      TeamRecord("Q", "R", "The Pair"),     // same name, same case: dropped
      TeamRecord("Q", "R", "THE PAIR"),     // other case: a new team
      TeamRecord("Alpha", "Beta", ""),      // composes a known name: dropped
      TeamRecord("Eps", "Zet", ""),         // new
      TeamRecord("Eps", "Zet", ""),         // the same nameless team again: dropped
      TeamRecord("Zet", "Eps", ""),         // other order: another name
  })));
  EXPECT_THAT(TeamNames(), ElementsAre("Alpha and Beta", "   ", "The Pair", "The Pair", "THE PAIR",
                                       "Eps and Zet", "Zet and Eps"));
  EXPECT_EQ(db.teams[4].member1, "Q");
  EXPECT_EQ(db.teams[4].member2, "R");
  EXPECT_TRUE(db.findings.empty());
}

TEST_F(GameReadersTest, StablesDropEmptyOnesAndMergeCircuitMembers) {
  StableReader stables(db);
  stables.ReadMain(View(MakePair({
      StableRecord("Clan", "2\r\n3\r\n5"),
      StableRecord("Nobody", "0"),
      StableRecord("Trio", "3\r\n1, 2 ,4"),  // members share lines
      StableRecord("Words", "none"),          // no number: no members
      StableRecord("Dups", "3\r\n6,6,7"),     // kept as listed
      StableRecord("Clan", "1\r\n9"),         // duplicate names within the main file stay
  })));
  EXPECT_THAT(StableNames(), ElementsAre("Clan", "Trio", "Dups", "Clan"));
  stables.ReadCircuit(View(MakePair({
      StableRecord("Clan", "3\r\n7,3,9"),  // merges into the first Clan
      StableRecord("Fresh", "0"),          // new name, no members: not added
      StableRecord("clan", "1\r\n8"),      // other case: a new stable
      StableRecord("Fresh2", "2\r\n4\r\n4"),
      StableRecord("Fresh2", "2\r\n4,5"),  // merges into the stable this circuit added
  })));
  EXPECT_THAT(StableNames(), ElementsAre("Clan", "Trio", "Dups", "Clan", "clan", "Fresh2"));
  EXPECT_THAT(db.stables[0].members, ElementsAre(3, 5, 7, 9));
  EXPECT_THAT(db.stables[1].members, ElementsAre(1, 2, 4));
  EXPECT_THAT(db.stables[2].members, ElementsAre(6, 6, 7));
  EXPECT_THAT(db.stables[3].members, ElementsAre(9));
  EXPECT_THAT(db.stables[5].members, ElementsAre(4, 4, 5));
  EXPECT_TRUE(db.findings.empty());
}

TEST_F(GameReadersTest, ManagersAndTitles) {
  ReadManagers(View(MakePair({Lines({"Mgr One", "x"}), Lines({"Mgr Two"})})), db);
  ASSERT_EQ(db.managers.size(), 2u);
  EXPECT_EQ(db.managers[1].name, "Mgr Two");

  ReadTitles(gamefiles::TitleFile({"Belt", "Cup"}), "c1\\card.ttl", db);
  ReadTitles("0\r\nx\r\nIgnored\r\n1\r\n", "c2\\card.ttl", db);
  ReadTitles(gamefiles::TitleFile({"Belt"}), "c3\\card.ttl", db);
  ReadTitles("3\r\nx\r\nShort\r\n", "c4\\card.ttl", db);  // ends early: empty names follow
  std::vector<std::string> titles;
  for (const Title& t : db.titles) titles.emplace_back(t.name);
  EXPECT_THAT(titles, ElementsAre("Belt", "Cup", "Belt", "Short", "", ""));
  EXPECT_THAT(FindingKinds(), ElementsAre("short-file"));
}

// Counts and offsets from hostile or broken files: the tables stay within their capacities
// and every loop ends with the file or the capacity.
TEST_F(GameReadersTest, HostileCountsStayWithinCapacities) {
  const std::string huge = "2000000000\r\n";
  ReadWrestlers(View(MakePair({Lines({"W1"}), Lines({"W2"})}, {}, huge)), db);
  ASSERT_EQ(db.wrestlers.size(), 3000u);
  EXPECT_EQ(db.wrestlers[1].name, "W2");
  EXPECT_EQ(db.wrestlers[2].name, "") << "no offset: the record reads as empty";

  ReadCircuitAliases(CircuitFile({"C1"}, huge), "c\\circxdb.dat", db);
  EXPECT_THAT(Aliases(1), ElementsAre("W1", "C1"));
  EXPECT_THAT(Aliases(3000), ElementsAre("")) << "the empty name is already alias 1";

  TeamReader teams(db);
  teams.ReadMain(View(MakePair({TeamRecord("A", "B", "")}, {}, huge)));
  EXPECT_EQ(db.teams.size(), 1000u);
  EXPECT_EQ(db.teams[1].name, " and ");
  teams.ReadCircuit(View(MakePair({TeamRecord("C", "D", "")}, {}, huge)));
  EXPECT_EQ(db.teams.size(), 1000u);

  StableReader stables(db);
  stables.ReadMain(View(MakePair({StableRecord("Big", "1000000\r\n1,2,3"),
                                  StableRecord("Neg", "-5\r\n1")},
                                 {}, huge)));
  ASSERT_THAT(StableNames(), ElementsAre("Big"));
  ASSERT_EQ(db.stables[0].members.size(), 50u) << "at most 50 members, the rest read as 0";
  EXPECT_THAT(std::vector<int>(db.stables[0].members.begin(), db.stables[0].members.begin() + 4),
              ElementsAre(1, 2, 3, 0));
  stables.ReadCircuit(View(MakePair({StableRecord("Big", "1000000\r\n1,2,3")}, {}, huge)));
  EXPECT_EQ(db.stables[0].members.size(), 50u);

  ReadManagers(View(MakePair({Lines({"M"})}, {}, "-7\r\n")), db);
  EXPECT_TRUE(db.managers.empty());
  ReadManagers(View(MakePair({Lines({"M"})}, {}, huge)), db);
  EXPECT_EQ(db.managers.size(), 3000u);
  ReadTitles(huge, "c1\\card.ttl", db);
  ReadTitles(huge, "c2\\card.ttl", db);
  EXPECT_EQ(db.titles.size(), 3000u);

  for (std::string_view kind : {"capacity", "count", "offsets", "short-file"}) {
    EXPECT_THAT(FindingKinds(), ::testing::Contains(kind));
  }
}

TEST_F(GameReadersTest, StableMembersBeyondFiftyAreLeftOut) {
  std::string fifty;
  for (int m = 1; m <= 50; ++m) fifty += std::to_string(m) + ",";
  std::string sixty = fifty;
  for (int m = 51; m <= 60; ++m) sixty += std::to_string(m) + ",";
  StableReader stables(db);
  stables.ReadMain(View(MakePair({StableRecord("Full", "50\r\n" + fifty),
                                  StableRecord("Over", "60\r\n" + sixty)})));
  ASSERT_EQ(db.stables.size(), 2u);
  EXPECT_EQ(db.stables[1].members.size(), 50u);
  EXPECT_EQ(db.stables[1].members.back(), 50);
  // Members already known are skipped; the first new one finds the stable full.
  stables.ReadCircuit(View(MakePair({StableRecord("Full", "3\r\n1,2,99")})));
  EXPECT_EQ(db.stables[0].members.size(), 50u);
  EXPECT_THAT(FindingKinds(), ElementsAre("capacity", "capacity"));
}

TEST_F(GameReadersTest, TablesFullOfRecordsIgnoreTheSurplus) {
  std::vector<std::string> teamRecords, stableRecords;
  for (int k = 0; k < 1005; ++k) {
    teamRecords.push_back(TeamRecord("A", "B", "Team " + std::to_string(k)));
    stableRecords.push_back(StableRecord("Stable " + std::to_string(k), "1\r\n1"));
  }
  TeamReader teams(db);
  teams.ReadMain(View(MakePair({teamRecords.begin(), teamRecords.begin() + 990})));
  teams.ReadCircuit(View(MakePair(teamRecords)));  // 990 known, 15 new, 10 kept
  ASSERT_EQ(db.teams.size(), 1000u);
  EXPECT_EQ(db.teams.back().name, "Team 999");

  StableReader stables(db);
  stables.ReadMain(View(MakePair(stableRecords)));
  ASSERT_EQ(db.stables.size(), 1000u);
  stables.ReadCircuit(View(MakePair({StableRecord("Stable 5", "1\r\n2"),
                                     StableRecord("Brand New", "1\r\n2")})));
  EXPECT_EQ(db.stables.size(), 1000u);
  EXPECT_THAT(db.stables[5].members, ElementsAre(1, 2)) << "a full table still merges";
  EXPECT_THAT(FindingKinds(), ElementsAre("capacity", "capacity", "capacity"));
}

TEST_F(GameReadersTest, BrokenOffsetFilesReadRecordsAsEmpty) {
  RecordPair pair = MakePair({Lines({"One"}), Lines({"Two"}), Lines({"Three"})});
  // Out of the data file, negative, not a number (offset 0: the count line), then none.
  pair.idx = "999\r\n-4\r\nabc\r\n";
  ReadManagers(View(pair), db);
  pair.idx = "";
  ReadManagers(View(pair), db);
  ReadManagers(RecordFiles{"data\\managers.dat", pair.dat, std::nullopt}, db);
  std::vector<std::string> names;
  for (const Manager& m : db.managers) names.emplace_back(m.name);
  EXPECT_THAT(names, ElementsAre("", "", "3", "", "", "", "", "", ""));
  EXPECT_THAT(FindingKinds(), ElementsAre("offsets", "offsets"));
}

}  // namespace
}  // namespace qvm
