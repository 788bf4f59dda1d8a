// The fast paths that keep a full-capacity game quick give exactly what the plain
// formulations give: each is run against a simple reference on many random inputs, with the
// bytes that the word-at-a-time tricks could get wrong (letters at the edges of a-z and A-Z,
// bytes above 0x7F, CR, LF, Ctrl-Z, "|") in good supply.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

#include "app/ImageOperations.h"
#include "app/Startup.h"
#include "app/StrayList.h"
#include "app/Wizard.h"
#include "gamedb/GameReaders.h"
#include "gamedb/GameTextReader.h"
#include "gamedb/LoadGameDatabase.h"
#include "gamedb/SortedView.h"
#include "images/MediaFile.h"
#include "images/StrayImages.h"
#include "index/ImageIndex.h"
#include "index/Journal.h"
#include "platform/Cp1252.h"
#include "platform/GamePath.h"
#include "platform/MemoryControls.h"
#include "platform/NodePool.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

// Texts of `alphabet`'s bytes; every third one starts with a shared beginning, so that the
// eight-byte steps meet their differences at every position.
class RandomTexts {
 public:
  RandomTexts(unsigned seed, std::string alphabet) : rng_(seed), alphabet_(std::move(alphabet)) {}
  std::string Next(std::size_t maxLength = 20) {
    std::string text = Pick(3) == 0 ? std::string("Ace Storm").substr(0, Pick(10)) : "";
    std::size_t length = Pick(maxLength + 1);
    while (text.size() < length) text += alphabet_[Pick(alphabet_.size())];
    return text;
  }
  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }

 private:
  std::mt19937 rng_;
  std::string alphabet_;
};

const std::string kEdgeBytes =
    std::string("aAzZ`{@[_ -.|19\xC9\xE9\x80\xFF\x7F", 21) + std::string(1, '\0');

int ReferenceDisplayOrder(std::string_view a, std::string_view b) {
  auto fold = [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - 32 : u;
  };
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

TEST(FastPath, DisplayOrderComparesAsByteByByte) {
  RandomTexts texts(1, kEdgeBytes);
  for (int i = 0; i < 20000; ++i) {
    std::string a = texts.Next(), b = i % 4 == 0 ? a : texts.Next();
    if (i % 5 == 0 && !b.empty()) b.back() = static_cast<char>(b.back() ^ 0x20);
    ASSERT_EQ(CompareDisplayOrder(a, b), ReferenceDisplayOrder(a, b)) << a << " : " << b;
  }
}

TEST(FastPath, SortedViewsOrderAsTheDisplayOrder) {
  NewPool();
  RandomTexts texts(2, kEdgeBytes);
  GameDatabase db;
  for (int i = 0; i < 500; ++i) {
    Wrestler w;
    w.name = PoolString(texts.Next());
    for (int j = 0; j < 6; ++j) w.aliases.push_back(Alias{PoolString(texts.Next())});
    db.wrestlers.push_back(w);
  }
  PrepareSortedView(db, RecordKind::Wrestler);
  const SortedView& view = db.sortedViews[0];
  ASSERT_EQ(view.names.size(), 500u);
  for (std::size_t i = 1; i < view.names.size(); ++i)
    EXPECT_LE(ReferenceDisplayOrder(view.names[i - 1], view.names[i]), 0);
  for (const Wrestler& w : db.wrestlers) {
    for (std::size_t j = 1; j < w.aliases.size(); ++j)
      EXPECT_LE(ReferenceDisplayOrder(w.aliases[j - 1].text, w.aliases[j].text), 0);
  }
  ReleasePool();
}

TEST(FastPath, SkippingLinesStopsWhereReadingLinesStops) {
  // Bytes one above CR and Ctrl-Z as well: a careless byte test takes them for those.
  RandomTexts texts(3, std::string("ab1\r\n\r\n\x1A \x0C\x1B", 11));
  for (int i = 0; i < 5000; ++i) {
    std::string bytes = texts.Next(60);
    std::size_t start = texts.Pick(bytes.size() + 1);
    auto count = static_cast<std::int64_t>(texts.Pick(12));
    GameTextReader skipped(bytes), read(bytes);
    skipped.Seek(static_cast<std::int64_t>(start));
    read.Seek(static_cast<std::int64_t>(start));
    skipped.SkipLines(count);
    for (std::int64_t k = 0; k < count && !read.AtEnd(); ++k) read.ReadLine();
    ASSERT_EQ(skipped.Position(), read.Position()) << "start " << start << " count " << count;
  }
}

// The plain reading of an image line: split at "|", lower-case, drop repeats of earlier names.
std::vector<std::string> ReferenceImages(std::string_view line) {
  std::vector<std::string> images;
  std::size_t start = 0;
  for (;;) {
    std::size_t bar = line.find('|', start);
    std::string name =
        LowerCp1252(line.substr(start, bar == std::string_view::npos ? line.npos : bar - start));
    if (std::find(images.begin(), images.end(), name) == images.end()) images.push_back(name);
    if (bar == std::string_view::npos) return images;
    start = bar + 1;
  }
}

TEST(FastPath, ImageLinesReadAsSplitLowerCasedAndWithoutRepeats) {
  NewPool();
  RandomTexts names(4, std::string("aAbB\xC9\xE9|}.1", 10));
  for (int i = 0; i < 300; ++i) {
    // Lines of 1 to about 150 names, many repeated in another letter case.
    std::string line;
    std::size_t count = 1 + names.Pick(150);
    for (std::size_t k = 0; k < count; ++k) line += (k ? "|" : "") + names.Next(4);
    ImageIndex index;
    ParseImageIndex("Key\r\n" + line + "\r\n", index);
    ASSERT_EQ(index.EntryCount(), 1);
    std::vector<std::string> got(index.Entry(1).images.begin(), index.Entry(1).images.end());
    ASSERT_EQ(got, ReferenceImages(line)) << line;
  }
  ReleasePool();
}

// The stray scan as first written: every image name of every entry blanks the first listed
// name equal to it with a-z folded.
std::vector<std::string> NestedStrayNames(std::vector<std::string> table, const ImageIndex& index) {
  for (const IndexEntry& entry : index.Entries()) {
    for (Text image : entry.images) {
      for (std::string& name : table) {
        if (!name.empty() && EqualIgnoringAsciiCase(name, image)) {
          name.clear();
          break;
        }
      }
    }
  }
  std::vector<std::string> stray;
  for (const std::string& name : table)
    if (!name.empty()) stray.push_back(name);
  return stray;
}

// Every fifth name is longer than the sixteen bytes of a name kept in the table's slot, and
// names of one length differ only after those.
std::string Long(std::size_t k) { return k % 5 == 0 ? "Champion photo, " : ""; }

TEST(FastPath, StrayNamesAreThoseOfTheNestedScan) {
  NewPool();
  RandomTexts names(5, std::string("aAbBzZ\xC9\xE9.", 9));
  for (int round = 0; round < 200; ++round) {
    // Few distinct names, so that listed names repeat (in any letter case) and meet the index
    // several times.
    std::vector<std::string> listed;
    std::size_t listedCount = names.Pick(40);
    for (std::size_t k = 0; k < listedCount; ++k)
      listed.push_back(Long(k) + names.Next(3) + (k % 2 ? "" : ".jpg"));
    std::string file;
    for (int e = 0; e < 4; ++e) {
      file += "Key\r\n";
      std::size_t count = names.Pick(15);
      for (std::size_t k = 0; k < count; ++k)
        file += (k ? "|" : "") + Long(k) + names.Next(3) + (k % 2 ? "" : ".JPG");
      file += "\r\n";
    }
    ImageIndex index;
    ParseImageIndex(file, index);
    ASSERT_EQ(StrayNames(listed, index), NestedStrayNames(listed, index)) << file;
  }
  ReleasePool();
}

// The resolver on disk, the resolver from listings, and one listing of media looked up many
// times find the same file.
TEST(FastPath, NamesAreFoundInAnyLetterCase) {
  test::GameFolder game;
  // UTF-8 on disk; "caf\xC3\xA9" is "caf\xE9" in CP1252.
  for (const char* name : {"Hero.JPG", "caf\xC3\xA9.jpg", "zed.BMP", "Zed.bmp", "Other.jpg"})
    game.Write(std::string("media/") + name, "x");  // on Windows "Zed.bmp" is "zed.BMP"
  const GamePaths paths = game.Paths();
  const MediaListing listing(SystemOs(), paths);
  GamePathResolver resolver(SystemOs(), paths.game);
  struct Case {
    const char* asked;  // CP1252
    const char* found;  // on disk
  };
  const Case cases[] = {
      {"Hero.JPG", "Hero.JPG"},
      {"hero.jpg", "Hero.JPG"},
      {"CAF\xC9.JPG", "caf\xC3\xA9.jpg"},
      {"ZED.bmp", test::kNamesIgnoreCase ? "zed.BMP" : "Zed.bmp"},  // first in byte order
      {"zed.BMP", "zed.BMP"},
      {"missing.jpg", "missing.jpg"},
      {"Hero.JP", "Hero.JP"},
  };
  for (const Case& c : cases) {
    auto path = ResolveNameInFolder(SystemOs(), paths.media, c.asked);
    ASSERT_TRUE(path) << c.asked;
    EXPECT_EQ(path->filename().string(), c.found) << c.asked;
    EXPECT_EQ(resolver.Resolve(std::string("MEDIA\\") + c.asked), path) << c.asked;
    const FolderEntry* entry = listing.Find(c.asked);
    EXPECT_EQ(entry ? entry->name.string() : path->filename().string(), c.found) << c.asked;
    EXPECT_EQ(entry != nullptr, std::filesystem::exists(*path)) << c.asked;
  }
  EXPECT_EQ(listing.Find("../Hero.JPG"), nullptr);
}

// Where Windows finds names itself, only a name it cannot read as more than the name goes to
// it as given; everything else is left to the listings.
TEST(FastPath, GamePathsGoToWindowsAsGivenOnlyWhenPlain) {
  const std::filesystem::path root = "game";
  struct Case {
    const char* gamePath;
    const char* given;  // none: the listings decide
  };
  const Case cases[] = {
      {"data\\WRESTLRS.DAT", "game/data/WRESTLRS.DAT"},
      {"Circuits/One\\.\\teams.dat", "game/Circuits/One/teams.dat"},
      {"..\\outside\\teams.dat", nullptr},
      {"\\teams.dat", nullptr},
      {"C:teams.dat", nullptr},
      {"PROCIR~1\\teams.dat", nullptr},
      {"CIRC1.\\teams.dat", nullptr},
      {"CIRC1 \\teams.dat", nullptr},
      {"a:b\\teams.dat", nullptr},
      {"a*\\teams.dat", nullptr},
      {"a\ttab\\teams.dat", nullptr},
  };
  for (const Case& c : cases) {
    const auto given = GamePathAsGiven(root, c.gamePath);
    if (!c.given) {
      EXPECT_FALSE(given) << c.gamePath;
    } else {
      EXPECT_EQ(given, std::filesystem::path(c.given).make_preferred()) << c.gamePath;
    }
  }
}

TEST(FastPath, CircuitAliasesAreTheSameWithOrWithoutTheHashes) {
  NewPool();
  RandomTexts names(6, "aAb ");
  GameDatabase plain, hashed;
  for (int k = 0; k < 200; ++k) {
    Text name = PoolString(names.Next(3));
    for (GameDatabase* db : {&plain, &hashed})
      db->wrestlers.push_back(Wrestler{name, {Alias{name}}});
  }
  AliasHashes hashes;
  for (int circuit = 0; circuit < 30; ++circuit) {
    std::string file = "200\r\n";
    for (int k = 0; k < 200; ++k) {
      file += names.Next(3) + "\r\n";
      for (int line = 0; line < 17; ++line) file += "9\r\n";
    }
    ReadCircuitAliases(file, "c\\circxdb.dat", plain);
    ReadCircuitAliases(file, "c\\circxdb.dat", hashed, &hashes);
  }
  for (std::size_t k = 0; k < plain.wrestlers.size(); ++k) {
    const auto& a = plain.wrestlers[k].aliases;
    const auto& b = hashed.wrestlers[k].aliases;
    ASSERT_EQ(a.size(), b.size()) << "wrestler " << k + 1;
    for (std::size_t j = 0; j < a.size(); ++j) EXPECT_EQ(a[j].text, b[j].text);
  }
  ReleasePool();
}

TEST(FastPath, TextsMadeOnAnotherThreadJoinThePool) {
  NewPool();
  std::size_t before = PoolBytesUsed();
  ThreadTexts texts;
  Text made;
  std::thread worker([&] {
    ThreadTexts::Use use(texts);
    made = PoolString("made elsewhere");
  });
  worker.join();
  EXPECT_EQ(PoolBytesUsed(), before);  // not the pool's until handed over
  texts.AddToCurrentPool();
  EXPECT_GT(PoolBytesUsed(), before);
  EXPECT_EQ(made, "made elsewhere");
  EXPECT_EQ(PoolString("made here").size(), 9u);  // this thread still uses the pool itself
  ReleasePool();
}

TEST(FastPath, IndexReadAlongsideIsTakenAsBefore) {
  NewPool();
  test::GameFolder game;
  game.Write("media/index.dat", "Hero\r\nA.JPG|b.jpg|a.jpg\r\n");
  GameDatabase db;
  std::vector<std::string> seen;
  LoadGameDatabase(SystemOs(), game.Paths(), db, [&](const ImageIndex& index) {
    for (Text name : index.Entry(1).images) seen.emplace_back(name);
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"a.jpg", "b.jpg"}));
  ASSERT_EQ(db.imageIndex.EntryCount(), 1);
  EXPECT_EQ(db.imageIndex.Entry(1).key, "Hero");
  EXPECT_TRUE(db.indexState.loaded);
  ReleasePool();
}

// Start-up's first StrayList, worked out while loading, is what a scan of its own would show,
// and a journal that restored changes makes the first scan start afresh.
TEST(FastPath, FirstStrayListMatchesAFreshScan) {
  for (bool withJournal : {false, true}) {
    test::GameFolder game;
    game.Write("media/index.dat", "Hero\r\na.jpg\r\n");
    for (const char* name : {"A.jpg", "b.jpg", "c.bmp", "notes.txt"})
      game.Write(std::string("media/") + name, "x");
    if (withJournal) {
      game.Write("media/index.dat.journal",
                 EncodeJournalHeader(StateOfBytes("Hero\r\na.jpg\r\n")) +
                     EncodeJournalRecord({IndexChange::Kind::ImageAdded, 1, "Hero", "b.jpg"}));
    }
    test::RecordingMessageBox messages;
    std::vector<std::string> first, fresh;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths& paths, GameDatabase& db) {
      EXPECT_EQ(db.strayNamesAtStart.valid(), !withJournal);
      MemoryListBox strayList;
      Wizard w{.os = SystemOs(), .paths = paths, .db = db, .c = {}, .currentName = {}};
      w.c.strayList = &strayList;
      ScanStrayImages(w);
      first = strayList.Items();
      ScanStrayImages(w);
      fresh = strayList.Items();
    });
    EXPECT_EQ(first, fresh) << (withJournal ? "with journal" : "without");
    const std::vector<std::string> expected = withJournal
                                                  ? std::vector<std::string>{"c.bmp"}
                                                  : std::vector<std::string>{"b.jpg", "c.bmp"};
    EXPECT_EQ(first, expected);
  }
}

}  // namespace
}  // namespace qvm
