// Which picture file names name which entity names, and which pictures are ambiguous.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "images/PictureSuggestions.h"

namespace qvm {
namespace {

TEST(PictureSuggestions, PictureNamesAgainstEntityNames) {
  struct Case {
    const char* picture;
    const char* entity;  // CP1252
    bool names;
  };
  const Case cases[] = {
      {"ace_harmon.jpg", "Ace Harmon", true},
      {"Ace-Harmon_2.JPG", "Ace Harmon", true},
      {"ace harmon (12).bmp", "Ace Harmon", true},
      {"ACE.HARMON-alt.jpeg", "Ace Harmon", true},
      {"aceharmon_ALT.jpg", "Ace Harmon", true},
      {"zoe_marchetti.bmp", "Zo\xEB Marchetti", true},
      {"obrien.jpg", "Sean O'Brien", false},
      {"sean_obrien.jpg",
       "Sean O\x92"
       "Brien",
       true},
      {"Team 2.jpg", "Team 2", true},    // the name itself ends like a marker
      {"team_2_3.jpg", "Team 2", true},  // one marker dropped, the name's own kept
      {"ace.jpg", "Ace Harmon", false},  // near misses
      {"ace_harmon_final.jpg", "Ace Harmon", false},
      {"ace_harmon_2_2.jpg", "Ace Harmon", false},  // only one marker
      {"ace_harmon(2).jpg", "Ace Harmon", false},
      {"ace_harmon2.jpg", "Ace Harmon", false},
      {".jpg", "", false},
  };
  for (const Case& c : cases) {
    std::vector<SuggestionCandidate> candidates = {{{{c.entity, "key"}}}};
    EXPECT_EQ(SuggestPictures(candidates, {c.picture}).size(), c.names ? 1u : 0u)
        << c.picture << " / " << c.entity;
  }
}

TEST(PictureSuggestions, OrderKeysAndAmbiguity) {
  // A wrestler known by two names (the key is the name that matched), a team, and a manager
  // who shares a name with one of the wrestler's aliases.
  std::vector<SuggestionCandidate> candidates = {
      {{{"Blaze", "Blaze"}, {"The Blaze", "The Blaze"}}},
      {{{"Ann and Bo", "Ann and Bo"}}},
      {{{"The Blaze", "The Blaze"}}},
  };
  std::vector<std::string> pictures = {"ann_and_bo.jpg", "blaze.jpg", "the_blaze_2.jpg",
                                       "unrelated.jpg", "blaze-alt.bmp"};
  std::vector<Suggestion> s = SuggestPictures(candidates, pictures);
  auto row = [&](const Suggestion& x) {
    return std::to_string(x.candidate) + " " + pictures[x.picture] + " " + x.key +
           (x.ambiguous ? " ambiguous" : "");
  };
  std::vector<std::string> rows;
  for (const Suggestion& x : s) rows.push_back(row(x));
  EXPECT_THAT(rows,
              testing::ElementsAre("0 blaze.jpg Blaze", "0 the_blaze_2.jpg The Blaze ambiguous",
                                   "0 blaze-alt.bmp Blaze", "1 ann_and_bo.jpg Ann and Bo",
                                   "2 the_blaze_2.jpg The Blaze ambiguous"));
}

}  // namespace
}  // namespace qvm
