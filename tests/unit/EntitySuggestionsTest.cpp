// Stray pictures named after the game's entities: the suggestions for the entities without a
// picture, their keys against what the window's selection gives, and what the StrayList makes
// stand out for the selected record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ImageList.h"
#include "app/ImageOperations.h"
#include "app/Selection.h"
#include "app/StrayList.h"
#include "gamedb/SortedView.h"
#include "images/EntitySuggestions.h"
#include "tests/unit/SmallGameFixture.h"
#include "tree/MissingPictures.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using EntitySuggestionsTest = test::SmallGameTest;

TEST_F(EntitySuggestionsTest, MissingEntitiesInTreeOrderThenPicturesInListOrder) {
  std::vector<std::string> rows;
  for (const EntitySuggestion& s : SuggestForMissing(db, db.imageIndex, pictures)) {
    rows.push_back(std::string(s.entity.name) + " | " + s.key + " | " + s.picture +
                   (s.ambiguous ? " | ambiguous" : ""));
  }
  EXPECT_THAT(rows,
              ElementsAre("Ace Harmon | Ace Harmon | Ace-Harmon_2.JPG",
                          "Ace Harmon | Ace Harmon | ace_harmon.jpg",
                          // The wrestler's other name, which a manager has too.
                          "Ace Harmon | The Ace | the_ace.jpg | ambiguous",
                          "Zo\xEB Marchetti | Zo\xEB Marchetti | zoe_marchetti.bmp",
                          "Ann and Bo | Ann and Bo | ann_and_bo.jpg",
                          "The Pair | The Pair (Ann/Bo) | the-pair (2).jpg",
                          "Clan | Clan (Ann/Bo/Cy/Cyrus) | clan.jpg", "Mo | Mo | mo_alt.jpg",
                          "The Ace | The Ace | the_ace.jpg | ambiguous", "Belt | Belt | belt.jpg"));
}

// A suggestion's key is the one the window's selection gives for that node: the record's key
// line, an alias node's name, and a stable's key with every member picked.
TEST_F(EntitySuggestionsTest, KeysAreWhatTheWindowShowsForTheNode) {
  int checked = 0;
  for (NodeHandle node = 1; node <= w.tree.NodeCount(); ++node) {
    auto entity = EntityOfNode(db, w.tree, node);
    if (!entity) continue;
    const SuggestionCandidate candidate = EntityCandidate(db, *entity);
    SelectNodeAt(node);
    std::string key = win.indexLineText.Text();
    if (entity->kind == RecordKind::Stable) {
      win.membersList.SetSel(true, -1);
      PickStableMembers(w);
      key = win.indexLineText.Text();
    }
    const std::string text(w.tree.Text(node));
    // The name the node shows is one the candidate answers to, with the key the window uses.
    bool found = false;
    for (const auto& name : candidate.names) {
      if (name.text == text && !found) {
        EXPECT_EQ(name.key, key) << text;
        found = true;
      }
    }
    EXPECT_TRUE(found) << text;
    ++checked;
  }
  EXPECT_EQ(checked, 15);  // 5 wrestlers, 4 alias nodes, 2 teams, a stable, 2 managers, a title
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(EntitySuggestionsTest, StrayPicturesNamedAfterTheSelectedRecordStandOut) {
  for (const std::string& name : pictures) game.Write("media/" + name, "x");
  ScanStrayImages(w);
  const std::vector<std::string> listed = win.strayList.Items();
  EXPECT_THAT(Emphasised(), IsEmpty());

  const std::string wrestler = "Names the wrestler Ace Harmon";
  const NodeHandle ace = Node({"Wrestlers", "A", "Ace Harmon"});
  struct Case {
    NodeHandle node;
    std::vector<std::string> emphasised;
  };
  const Case cases[] = {
      {ace,
       {"ace_harmon.jpg: " + wrestler, "Ace-Harmon_2.JPG: " + wrestler,
        "the_ace.jpg: " + wrestler + " (as The Ace)"}},
      {Node({"Wrestlers", "A", "Ace Harmon", "The Ace"}),
       {"ace_harmon.jpg: " + wrestler, "Ace-Harmon_2.JPG: " + wrestler,
        "the_ace.jpg: " + wrestler + " (as The Ace)"}},
      {Node({"Wrestlers", "A"}), {}},
      // A record with pictures still has its stray ones pointed out.
      {Node({"Wrestlers", "B", "Bo"}), {"bo.jpg: Names the wrestler Bo"}},
      {Node({"Tag Teams", "A", "Ann and Bo"}), {"ann_and_bo.jpg: Names the tag team Ann and Bo"}},
      {Node({"Stables", "C", "Clan"}), {"clan.jpg: Names the stable Clan"}},
      {Node({"Managers", "T", "The Ace"}), {"the_ace.jpg: Names the manager The Ace"}},
      {Node({"Titles", "Belt"}), {"belt.jpg: Names the title Belt"}},
      {Node({"Titles"}), {}},
  };
  for (const Case& c : cases) {
    SelectNodeAt(c.node);
    EXPECT_EQ(Emphasised(), c.emphasised) << w.tree.Text(c.node);
    EXPECT_EQ(win.strayList.Items(), listed);
  }

  // Taking one into the index leaves the others standing out; a refresh finds new ones.
  SelectNodeAt(ace);
  win.strayList.UserClick(win.strayList.FindExact(-1, "ace_harmon.jpg"));
  AddStrayImage(w);
  EXPECT_THAT(Emphasised(), ElementsAre("Ace-Harmon_2.JPG: " + wrestler,
                                        "the_ace.jpg: " + wrestler + " (as The Ace)"));
  game.Write("media/ACE HARMON (3).bmp", "x");
  ScanStrayImages(w);
  EXPECT_THAT(Emphasised(),
              ElementsAre("ACE HARMON (3).bmp: " + wrestler, "Ace-Harmon_2.JPG: " + wrestler,
                          "the_ace.jpg: " + wrestler + " (as The Ace)"));
}

}  // namespace
}  // namespace qvm
