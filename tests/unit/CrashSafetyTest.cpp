// What survives a process killed at the worst moment: during a save, or with the window open.
#include <gtest/gtest.h>
#include <signal.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "app/Startup.h"
#include "index/IndexFile.h"
#include "index/Journal.h"
#include "platform/FileIo.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

using test::GameFolder;
using test::RecordingMessageBox;
namespace fs = std::filesystem;

[[maybe_unused]] std::string Table(char fill, int entries) {
  std::string bytes;
  for (int i = 0; i < entries; ++i)
    bytes += "Key " + std::to_string(i) + "\r\n" + std::string(60, fill) + ".jpg|x.jpg\r\n";
  return bytes;
}

TEST(CrashSafety, KillingASaveLeavesTheOldOrTheNewFileAndNoLeftovers) {
#ifdef _WIN32
  GTEST_SKIP() << "kills a forked process: Windows has no fork";
#else
  GameFolder game;
  const std::string a = Table('a', 400), b = Table('b', 500);
  game.Write("media/index.dat", a);
  std::mt19937 random(1234);
  const char* stress = std::getenv("QVM_STRESS_RUNS");
  const int runs = stress ? std::atoi(stress) : 1000;
  int damaged = 0, leftovers = 0, sawNew = 0;
  for (int run = 0; run < runs; ++run) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      NewPool();
      const GamePaths paths = ResolveGamePaths(SystemOs(), game.path());
      for (int round = 0;; ++round) {
        ImageIndex index;
        IndexFileState state = LoadImageIndex(SystemOs(), paths, index);
        ParseImageIndex(round % 2 ? a : b, index);
        SaveImageIndex(SystemOs(), paths, index, state);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::string now = game.Read("media/index.dat");
    if (now != a && now != b) ++damaged;
    if (now == b) ++sawNew;
    const GamePaths paths = ResolveGamePaths(SystemOs(), game.path());
    std::vector<FolderEntry> listing;
    SystemOs().ListFolder(paths.media, listing, nullptr);
    RemoveSaveLeftovers(SystemOs(), paths, listing);
    for (const auto& entry : fs::directory_iterator(game / "media")) {
      if (IsTemporaryFileName(entry.path().filename().string())) ++leftovers;
    }
  }
  std::cout << "[ figure ] kill -9 during saves: runs " << runs << ", damaged files " << damaged
            << ", leftovers after start-up cleanup " << leftovers
            << ", runs ending on the second table " << sawNew << "\n";
  EXPECT_EQ(damaged, 0);
  EXPECT_EQ(leftovers, 0);
#endif
}

TEST(CrashSafety, JournalRecordsSurviveAnyBytesInKeysAndNames) {
  NewPool();
  ImageIndex before;
  ParseImageIndex("Old\r\na.jpg|b.jpg|c.jpg\r\n", before);
  ImageIndex after;
  ParseImageIndex("Old\r\na.jpg|b.jpg|c.jpg\r\n", after);
  std::string journal;
  after.SetObserver([&](const IndexChange& c) { journal += EncodeJournalRecord(c); });
  int e = after.AppendEntry("Tab\there %41 \nLF \xC9");
  after.AddImage(e, "n\xC9W\t.jpg");
  after.RemoveImage(1, 2);
  after.SetKey(1, "Show|Match");
  after.AddImage(1, "d.jpg");
  after.ReplaceImage(1, 1, "A-Crop\t%.JPG");
  EXPECT_EQ(ReplayJournal(journal, before), 6);
  EXPECT_EQ(SerializeImageIndex(before), SerializeImageIndex(after));
  // A last line cut short by the crash is ignored; the rest still applies.
  ImageIndex partial;
  ParseImageIndex("Old\r\na.jpg|b.jpg|c.jpg\r\n", partial);
  EXPECT_EQ(ReplayJournal(journal.substr(0, journal.size() - 4), partial), 5);
  ReleasePool();
}

TEST(CrashSafety, ChangesMadeBeforeAKillAreRestoredAtTheNextStart) {
#ifdef _WIN32
  GTEST_SKIP() << "kills a forked process: Windows has no fork";
#else
  GameFolder game;
  game.Write("media/index.dat", "Hero\r\nhero.jpg\r\nVillain\r\nv1.jpg|v2.jpg\r\n");
  const int made = 7;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordingMessageBox messages;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      ImageIndex& index = db.imageIndex;
      int e = index.AppendEntry("New Guy");  // 1
      index.AddImage(e, "New.JPG");          // 2
      index.AddImage(e, "second.jpg");       // 3
      index.AddImage(1, "hero2.jpg");        // 4
      index.RemoveImage(2, 1);               // 5
      index.SetKey(2, "|");                  // 6
      index.AddImage(2, "v3.jpg");           // 7
      raise(SIGKILL);
    });
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(game.Read("media/index.dat"), "Hero\r\nhero.jpg\r\nVillain\r\nv1.jpg|v2.jpg\r\n");

  RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], RestoredChangesMessage(made));
  int restored = messages.texts[0] == RestoredChangesMessage(made) ? made : -1;
  std::cout << "[ figure ] changes made before kill -9: " << made << ", restored: " << restored
            << "\n";
  EXPECT_EQ(
      game.Read("media/index.dat"),
      "Hero\r\nhero.jpg|hero2.jpg\r\n|\r\nv2.jpg|v3.jpg\r\nNew Guy\r\nnew.jpg|second.jpg\r\n");
  EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));
#endif
}

#ifndef _WIN32  // kills a forked process: Windows has no fork
// The real Os, killed with SIGKILL at a chosen point: right after the save replaced index.dat
// (before the journal is removed), or halfway through the n-th write to the journal.
class KillingOs : public test::FaultyOs {
 public:
  int killAtJournalWrite = 0;  // the header is the first write; 0: never
  bool killAfterIndexReplaced = false;

  FileHandle CreateNew(const fs::path& p, std::string* error) override {
    return Note(p, FaultyOs::CreateNew(p, error));
  }
  FileHandle OpenForAppending(const fs::path& p, std::string* error) override {
    return Note(p, FaultyOs::OpenForAppending(p, error));
  }
  bool Write(FileHandle f, const void* data, std::size_t size, std::string* error) override {
    if (f == journal_ && ++journalWrites_ == killAtJournalWrite) {
      FaultyOs::Write(f, data, size / 2, error);
      raise(SIGKILL);
    }
    return FaultyOs::Write(f, data, size, error);
  }
  bool Replace(const fs::path& from, const fs::path& to, std::string* error) override {
    const bool done = FaultyOs::Replace(from, to, error);
    if (done && killAfterIndexReplaced && to.filename() == "index.dat") raise(SIGKILL);
    return done;
  }

 private:
  FileHandle Note(const fs::path& p, FileHandle f) {
    const std::string name = p.filename().string();
    if (name == "index.dat.journal" || name.starts_with(".qvm-journal")) journal_ = f;
    return f;
  }
  FileHandle journal_ = kNoFile;
  int journalWrites_ = 0;
};

// Runs the window in a child process over `os`, making `changes`; true when a kill ended it.
template <class Changes>
bool RunKilled(const GameFolder& game, KillingOs& os, Changes changes) {
  pid_t child = fork();
  if (child == 0) {
    RecordingMessageBox messages;
    RunWizard(os, game.path(), messages,
              [&](const GamePaths&, GameDatabase& db) { changes(db.imageIndex); });
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST(CrashSafety, KilledBetweenTheSaveAndTheJournalsEndNothingIsAppliedTwice) {
  GameFolder game;
  game.Write("media/index.dat", "Hero\r\nhero.jpg\r\n");
  KillingOs os;
  os.killAfterIndexReplaced = true;
  ASSERT_TRUE(RunKilled(game, os, [](ImageIndex& index) {
    index.AddImage(index.AppendEntry("New Guy"), "new.jpg");
    index.AddImage(1, "hero2.jpg");
  }));
  const std::string saved = "Hero\r\nhero.jpg|hero2.jpg\r\nNew Guy\r\nnew.jpg\r\n";
  ASSERT_EQ(game.Read("media/index.dat"), saved);
  ASSERT_TRUE(fs::exists(game / "media/index.dat.journal"));

  RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(game.Read("media/index.dat"), saved);
  EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));
}

TEST(CrashSafety, AJournalRecordCutShortByAKillCostsNoLaterChange) {
  GameFolder game;
  game.Write("media/index.dat", "Hero\r\na.jpg\r\n");
  KillingOs os;
  os.killAtJournalWrite = 4;  // the header, b, c, then d half written
  ASSERT_TRUE(RunKilled(game, os, [](ImageIndex& index) {
    for (const char* name : {"b.jpg", "c.jpg", "d.jpg"}) index.AddImage(1, name);
  }));
  KillingOs next;  // restores b and c, then goes on after the torn d
  ASSERT_TRUE(RunKilled(game, next, [](ImageIndex& index) {
    index.AddImage(1, "e.jpg");
    raise(SIGKILL);
  }));
  RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  EXPECT_EQ(messages.texts, std::vector<std::string>{RestoredChangesMessage(3)});
  EXPECT_EQ(game.Read("media/index.dat"), "Hero\r\na.jpg|b.jpg|c.jpg|e.jpg\r\n");
}

#endif

TEST(CrashSafety, AJournalThatCannotBeWrittenIsToldOnceAndTheCloseStillSaves) {
  GameFolder game;
  game.Write("media/index.dat", "Hero\r\nhero.jpg\r\n");
  test::FaultyOs os;
  // The journal is written aside under a temporary name first, then renamed.
  os.Fail(test::FaultyOs::Call::Flush, [](const fs::path& p) {
    return p.filename() == "index.dat.journal" || p.filename().string().starts_with(".qvm-journal");
  });
  RecordingMessageBox messages;
  RunWizard(os, game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
    db.imageIndex.AddImage(1, "a.jpg");
    db.imageIndex.AddImage(1, "b.jpg");
  });
  EXPECT_EQ(messages.texts, std::vector<std::string>{
                                "Changes cannot be written to media/index.dat.journal; they are "
                                "kept in memory and saved when the window closes."});
  EXPECT_EQ(game.Read("media/index.dat"), "Hero\r\nhero.jpg|a.jpg|b.jpg\r\n");
  EXPECT_FALSE(fs::exists(game / "media/index.dat.journal"));
}

TEST(CrashSafety, AnotherProgramsChangeIsNotOverwrittenWithoutAsking) {
  for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
    GameFolder game;
    game.Write("media/index.dat", "Hero\r\nhero.jpg\r\n");
    RecordingMessageBox messages;
    messages.answers = {answer};
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      db.imageIndex.AddImage(1, "mine.jpg");
      game.Write("media/index.dat", "Hero\r\nhero.jpg|theirs.jpg\r\n");  // an editor saves
    });
    ASSERT_GE(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], std::string(kIndexChangedQuestion));
    EXPECT_TRUE(messages.styles[0].yesNo && messages.styles[0].defaultNo);
    if (answer == MessageAnswer::Yes) {
      EXPECT_EQ(game.Read("media/index.dat"), "Hero\r\nhero.jpg|mine.jpg\r\n");
    } else {
      EXPECT_EQ(game.Read("media/index.dat"), "Hero\r\nhero.jpg|theirs.jpg\r\n");
      EXPECT_EQ(game.Read("media/index.dat.unsaved"), "Hero\r\nhero.jpg|mine.jpg\r\n");
    }
  }
}

}  // namespace
}  // namespace qvm
