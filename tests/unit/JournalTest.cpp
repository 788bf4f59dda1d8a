// The crash journal is exact: it applies only to the index it was written for, once; a record
// cut short costs no later one; it ends once the run's changes are kept elsewhere; and the CLI
// finishes or shows it instead of working past it.
#include <gtest/gtest.h>
#include <signal.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "app/Startup.h"
#include "index/IndexFile.h"
#include "index/Journal.h"
#include "platform/ContentHash.h"
#include "tests/unit/Processes.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::GameFolder;
using test::RecordingMessageBox;

const std::string kStored = "K\r\na.jpg\r\n";

std::string Added(const char* name, int entry = 1, const char* key = "K") {
  return EncodeJournalRecord({IndexChange::Kind::ImageAdded, entry, key, name});
}
// The header of a journal that a version before the undo records wrote.
std::string VersionTwoHeader(const IndexFileState& index) {
  const std::string payload = "QVM7-IMAGE-WIZARD-JOURNAL\t2\t" + std::to_string(index.loadedSize) +
                              "\t" + HexOfHash(index.loadedHash);
  return "\n" + payload + "\t" + HexOfHash(ContentHash(payload)) + "\n";
}

// A journal written by one build (the Windows one, say) must be recognised by every other.
TEST(Journal, TheIndexIsNamedByAHashThatIsTheSameInEveryBuild) {
  EXPECT_EQ(HexOfHash(ContentHash("")), "c66ddda7adcf1222");
  EXPECT_EQ(HexOfHash(ContentHash(kStored)), "22bb33783bb70cc8");
  EXPECT_EQ(HexOfHash(ContentHash("0123456789abcdefghijklmnopqrstuvwxyz!")), "4423fcf025cd7576");
}

TEST(Journal, BelongsOnlyToTheIndexItWasWrittenFor) {
  const IndexFileState stored = StateOfBytes(kStored), other = StateOfBytes("X\r\n\r\n"),
                       unreadable{};
  struct Case {
    const char* what;
    std::string bytes;
    IndexFileState index;
    JournalState state;
  };
  const Case cases[] = {
      {"nothing in it", "", stored, JournalState::Applied},
      {"no change in it", EncodeJournalHeader(other), stored, JournalState::Applied},
      {"an older version's", "N\t2\tNew\nA\t2\tNew\tb.jpg\n", stored, JournalState::Unmatched},
      {"this index's", EncodeJournalHeader(stored) + Added("b.jpg"), stored, JournalState::Pending},
      {"the version before's", VersionTwoHeader(stored) + Added("b.jpg"), stored,
       JournalState::Pending},
      {"another index's", EncodeJournalHeader(other) + Added("b.jpg"), stored,
       JournalState::Unmatched},
      {"saved, not yet removed",
       EncodeJournalHeader(other) + Added("b.jpg") + EncodeJournalCommit(stored), stored,
       JournalState::Applied},
      {"a save that did not land",
       EncodeJournalHeader(stored) + Added("b.jpg") + EncodeJournalCommit(other), stored,
       JournalState::Pending},
      {"unreadable then and now", EncodeJournalHeader(unreadable) + Added("b.jpg"), unreadable,
       JournalState::Pending},
      {"unreadable then, readable now", EncodeJournalHeader(unreadable) + Added("b.jpg"), stored,
       JournalState::Unmatched},
  };
  for (const Case& c : cases) {
    GameFolder game;
    game.Write("media/index.dat.journal", c.bytes);
    EXPECT_EQ(FindJournal(SystemOs(), game.Paths().journal, c.index).state, c.state) << c.what;
  }
}

TEST(Journal, ARecordCutShortOrDamagedCostsNoOther) {
  NewPool();
  const std::string first = Added("b.jpg"), second = Added("c.jpg"), third = Added("d.jpg");
  std::string damaged = second;
  damaged[4] ^= 1;
  for (const std::string& middle : {second.substr(0, second.size() - 5), damaged}) {
    ImageIndex index;
    ParseImageIndex(kStored, index);
    EXPECT_EQ(
        ReplayJournal(EncodeJournalHeader(StateOfBytes(kStored)) + first + middle + third, index),
        2);
    EXPECT_EQ(SerializeImageIndex(index), "K\r\na.jpg|b.jpg|d.jpg\r\n");
  }
  ReleasePool();
}

TEST(Journal, OneThatDoesNotBelongIsSetAsideUnderAFreeNameAndNeverApplied) {
  GameFolder game;
  game.Write("media/index.dat", kStored);
  game.Write("media/index.dat.journal.unmatched", "an earlier one");
  game.Write("media/index.dat.journal", EncodeJournalHeader(StateOfBytes("X")) + Added("b.jpg"));
  RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  EXPECT_EQ(messages.texts, std::vector<std::string>{JournalSetAsideMessage(
                                game / "media/index.dat.journal.unmatched-2")});
  EXPECT_EQ(game.Read("media/index.dat"), kStored);
  EXPECT_EQ(game.Read("media/index.dat.journal.unmatched"), "an earlier one");
  EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));
}

// Whichever way the close keeps the run's changes, the journal ends with it, and the next start
// has nothing to restore.
TEST(Journal, EndsOnceTheChangesAreKeptInTheIndexOrBesideIt) {
  enum class Close { Saved, KeptTheirs, UnreadableAtStart };
  for (Close close : {Close::Saved, Close::KeptTheirs, Close::UnreadableAtStart}) {
    SCOPED_TRACE(static_cast<int>(close));
    GameFolder game;
    if (close == Close::UnreadableAtStart) {
      fs::create_directories(game / "media/index.dat");
    } else {
      game.Write("media/index.dat", kStored);
    }
    RecordingMessageBox messages;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      int e = db.imageIndex.FindEntry("K");
      db.imageIndex.AddImage(e ? e : db.imageIndex.AppendEntry("K"), "b.jpg");
      if (close == Close::KeptTheirs) game.Write("media/index.dat", "Theirs\r\n\r\n");
    });
    EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));
    if (close == Close::UnreadableAtStart) {
      fs::remove(game / "media/index.dat");
      game.Write("media/index.dat", kStored);
    }
    const std::string before = game.Read("media/index.dat");
    RecordingMessageBox next;
    RunWizard(SystemOs(), game.path(), next, [](const GamePaths&, GameDatabase&) {});
    EXPECT_TRUE(next.texts.empty()) << next.texts.front();
    EXPECT_EQ(game.Read("media/index.dat"), before);
  }
}

#ifndef _WIN32  // other processes through fork; under Wine the end-to-end scripts run the CLI beside a lock
// A window killed with changes in its journal.
void CrashWindowWith(const GameFolder& game, const char* picture) {
  pid_t child = fork();
  if (child == 0) {
    RecordingMessageBox messages;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      db.imageIndex.AddImage(1, picture);
      raise(SIGKILL);
    });
    _exit(0);
  }
  waitpid(child, nullptr, 0);
}

TEST(Journal, TheCliShowsAPendingJournalAndFinishesItBeforeWriting) {
  GameFolder game;
  game.Write("media/index.dat", kStored);
  test::WriteBytes(game / "new.jpg", "x");
  CrashWindowWith(game, "crashed.jpg");
  const std::string folder = game.path().string();

  test::CliRun images = test::RunCli({"-C", folder, "images", "K"});
  EXPECT_EQ(images.out, "a.jpg\ncrashed.jpg\n");
  EXPECT_NE(images.err.find("1 change not saved"), std::string::npos) << images.err;
  EXPECT_EQ(game.Read("media/index.dat"), kStored);  // reading writes nothing

  test::CliRun attach = test::RunCli({"-C", folder, "attach", "K", (game / "new.jpg").string()});
  EXPECT_EQ(attach.status, 0) << attach.err;
  EXPECT_NE(attach.err.find("were restored"), std::string::npos) << attach.err;
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|crashed.jpg|new.jpg\r\n");
  EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));

  // The window has nothing left to replay over the CLI's work.
  RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|crashed.jpg|new.jpg\r\n");
}

TEST(Journal, TheCliSetsAsideAJournalOfAnIndexChangedSince) {
  GameFolder game;
  game.Write("media/index.dat", kStored);
  CrashWindowWith(game, "crashed.jpg");
  game.Write("media/index.dat", "Theirs\r\nt.jpg\r\n");
  test::CliRun rewrite = test::RunCli({"-C", game.path().string(), "rewrite-index"});
  EXPECT_EQ(rewrite.status, 0) << rewrite.err;
  EXPECT_NE(rewrite.err.find("index.dat.journal.unmatched"), std::string::npos) << rewrite.err;
  EXPECT_EQ(game.Read("media/index.dat"), "Theirs\r\nt.jpg\r\n");
  EXPECT_TRUE(fs::exists(game / "media/index.dat.journal.unmatched"));
}

#endif

}  // namespace
}  // namespace qvm
