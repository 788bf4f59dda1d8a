// Undo and redo give back the exact table, in memory, in the journal and in the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>

#include "app/ImageOperations.h"
#include "app/Startup.h"
#include "app/PictureGaps.h"
#include "app/UndoRedo.h"
#include "index/Journal.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using Change = std::function<void(ImageIndex&, UndoHistory&)>;

const std::string kStart = "Hero\r\na.jpg|b.jpg|c.jpg\r\nVillain\r\nv.jpg\r\n";

struct Sequence {
  const char* what;
  std::vector<Change> steps;
};

// Each step as the window makes it: a new key with its pictures is one step.
void AttachNew(ImageIndex& index, UndoHistory& h, const char* key, const char* name) {
  UndoStep step(h);
  index.AddImage(index.AppendEntry(key), name);
}

const Sequence kSequences[] = {
    {"remove the last, the only",
     {[](ImageIndex& i, UndoHistory&) { i.RemoveImage(1, 3); },
      [](ImageIndex& i, UndoHistory&) { i.RemoveImage(2, 1); }}},
    {"attach to a new key, then to an existing one",
     {[](ImageIndex& i, UndoHistory& h) { AttachNew(i, h, "New Guy", "N.JPG"); },
      [](ImageIndex& i, UndoHistory&) { i.AddImage(1, "d.jpg"); }}},
    {"a whole batch in one step",
     {[](ImageIndex& i, UndoHistory& h) {
       UndoStep step(h, "attach checked");
       i.AddImage(1, "d.jpg");
       i.AddImage(i.AppendEntry("One"), "one.jpg");
       i.AddImage(i.AppendEntry("Two"), "two.jpg");
       i.RemoveImage(2, 1);
     }}},
    {"attach, remove what was attached and what was there, attach again",
     {[](ImageIndex& i, UndoHistory& h) { AttachNew(i, h, "New", "n1.jpg"); },
      [](ImageIndex& i, UndoHistory&) { i.AddImage(3, "n2.jpg"); },
      [](ImageIndex& i, UndoHistory&) { i.RemoveImage(3, 1); },
      [](ImageIndex& i, UndoHistory&) { i.RemoveImage(1, 2); },
      [](ImageIndex& i, UndoHistory&) { i.AddImage(1, "b.jpg"); }}},
    {"a picture put in another's place, a key changed",
     {[](ImageIndex& i, UndoHistory&) { i.ReplaceImage(1, 2, "B-Crop.jpg"); },
      [](ImageIndex& i, UndoHistory&) { i.SetKey(2, "Show|Match"); },
      [](ImageIndex& i, UndoHistory&) { i.RemoveImage(1, 1); }}},
};

// Taken back to the start, the table is the stored one byte for byte; made again, it is the
// table of a run without undos; and the journal of it all restores the table as it was at any
// moment.
TEST(UndoHistory, AnySequenceUndoneGivesTheStartAndRedoneTheEndInMemoryAndInTheJournal) {
  NewPool();
  for (const Sequence& s : kSequences) {
    SCOPED_TRACE(s.what);
    ImageIndex index;
    ParseImageIndex(kStart, index);
    std::string journal;
    index.SetObserver([&](const IndexChange& c) { journal += EncodeJournalRecord(c); });
    UndoHistory h;
    h.Listen(index);
    std::vector<std::string> after{kStart};
    for (const Change& step : s.steps) {
      step(index, h);
      after.push_back(SerializeImageIndex(index));
    }
    auto replayed = [&] {
      ImageIndex fresh;
      ParseImageIndex(kStart, fresh);
      ReplayJournal(journal, fresh);
      return SerializeImageIndex(fresh);
    };
    // One step back at a time.
    for (size_t n = s.steps.size(); n-- > 0;) {
      ASSERT_TRUE(h.Undo());
      EXPECT_EQ(SerializeImageIndex(index), after[n]) << "undone to step " << n;
      EXPECT_EQ(replayed(), after[n]) << "undone to step " << n;
    }
    EXPECT_FALSE(h.CanUndo());
    while (h.CanRedo()) ASSERT_TRUE(h.Redo());
    EXPECT_EQ(SerializeImageIndex(index), after.back());
    EXPECT_EQ(replayed(), after.back());
    while (h.CanUndo()) ASSERT_TRUE(h.Undo());
    EXPECT_EQ(SerializeImageIndex(index), kStart);
    EXPECT_EQ(replayed(), kStart);
  }
  ReleasePool();
}

TEST(UndoHistory, StepsAreNamedAfterTheirChangesAndANewStepEndsWhatCouldBeRedone) {
  NewPool();
  ImageIndex index;
  ParseImageIndex(kStart, index);
  UndoHistory history;
  history.Listen(index);
  AttachNew(index, history, "Ace", "ace_harmon.jpg");
  EXPECT_EQ(history.UndoLabel(), "attach ace_harmon.jpg");
  {
    UndoStep outer(history, "attach checked");
    UndoStep inner(history);
    for (const char* n : {"x.jpg", "y.jpg"}) index.AddImage(1, n);
  }
  EXPECT_EQ(history.UndoLabel(), "attach checked");
  {
    UndoStep nothing(history);
    index.AddImage(1, "X.JPG");  // listed already: no step
  }
  index.ReplaceImage(1, 1, "a2.jpg");
  EXPECT_EQ(history.UndoLabel(), "replace a.jpg");
  {
    UndoStep step(history);
    index.RemoveImage(1, 1);
    index.RemoveImage(1, 1);
  }
  EXPECT_EQ(history.UndoLabel(), "remove 2 pictures");
  ASSERT_TRUE(history.Undo());
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(history.UndoLabel(), "attach checked");
  EXPECT_EQ(history.RedoLabel(), "replace a.jpg");
  index.AddImage(2, "w.jpg");
  EXPECT_FALSE(history.CanRedo());
  // Nothing can be taken back while a step is open.
  history.BeginStep();
  EXPECT_FALSE(history.Undo());
  history.EndStep();

  // A table changed behind the history's back: the step is refused, the history forgotten.
  index.SetObserver(nullptr);
  index.RemoveImage(2, 2);
  EXPECT_FALSE(history.Undo());
  EXPECT_FALSE(history.CanUndo());
  ReleasePool();
}

class UndoInWindowTest : public test::ImageOpsTest {
 protected:
  void SetUp() override {
    ImageOpsTest::SetUp();
    for (const char* f : {"a.jpg", "b.jpg", "stray.jpg"}) game.Write(std::string("media/") + f, f);
    game.Write("media/index.dat", kStart);
    test::WriteBytes(outside / "Drop.JPG", "dropped");
    test::WriteBytes(outside / "New.jpg", "new");
    Index(kStart);
    w.undo.Listen(db.imageIndex);
  }
  test::TempFolder outside;
};

// The window's ways of attaching and removing, each one step, taken back and made again: the
// lists show the table as it is, and files copied into media stay there.
TEST_F(UndoInWindowTest, EveryWayOfAttachingAndRemovingIsOneStepAndTheListsFollow) {
  Select("Hero");
  ShowCurrentIndex(w);
  EXPECT_THAT(win.strayList.Items(), ElementsAre("stray.jpg"));

  win.strayList.UserClick(0);
  AddStrayImage(w);                                               // 1
  win.fileDialog.answers.push_back(FileChoice{outside.path(), {"New.jpg"}});
  AddImages(w, "");                                               // 2
  AttachDroppedFiles(w, {outside / "Drop.JPG"});                  // 3
  win.imagesList.UserClick(win.imagesList.FindExact(-1, "a.jpg"));
  messages.answers.push_back(MessageAnswer::Yes);
  RemoveCurrentImage(w);                                          // 4
  Select("Nobody");
  AddImages(w, "b.jpg");                                          // 5: a new key
  const std::string end = IndexBytes();
  EXPECT_EQ(end,
            "Hero\r\ndrop.jpg|b.jpg|c.jpg|stray.jpg|new.jpg\r\nVillain\r\nv.jpg\r\n"
            "Nobody\r\nb.jpg\r\n");
  EXPECT_EQ(UndoEntryText(w), "Undo attach b.jpg");

  Select("Hero");
  const struct {
    const char* undo;  // the entry's text before the step is taken back
    std::vector<std::string> images;
    std::vector<std::string> stray;
  } back[] = {
      {"Undo attach b.jpg", {"b.jpg", "c.jpg", "drop.jpg", "new.jpg", "stray.jpg"}, {"a.jpg"}},
      {"Undo remove a.jpg", {"a.jpg", "b.jpg", "c.jpg", "drop.jpg", "new.jpg", "stray.jpg"}, {}},
      {"Undo attach drop.jpg", {"a.jpg", "b.jpg", "c.jpg", "new.jpg", "stray.jpg"}, {"Drop.JPG"}},
      {"Undo attach new.jpg", {"a.jpg", "b.jpg", "c.jpg", "stray.jpg"}, {"Drop.JPG", "New.jpg"}},
      {"Undo attach stray.jpg", {"a.jpg", "b.jpg", "c.jpg"}, {"Drop.JPG", "New.jpg", "stray.jpg"}},
  };
  for (const auto& b : back) {
    EXPECT_EQ(UndoEntryText(w), b.undo);
    RunEditCommand(w, EditCommand::Undo);
    EXPECT_EQ(win.imagesList.Items(), b.images) << b.undo;
    EXPECT_EQ(win.strayList.Items(), b.stray) << b.undo;
  }
  EXPECT_EQ(IndexBytes(), kStart);
  RunEditCommand(w, EditCommand::Undo);  // nothing left: nothing happens
  EXPECT_EQ(game.Read("media/New.jpg"), "new");  // copied in, never deleted
  EXPECT_EQ(RedoEntryText(w), "Redo attach stray.jpg");
  for (int n = 0; n < 5; ++n) RunEditCommand(w, EditCommand::Redo);
  EXPECT_EQ(IndexBytes(), end);
  EXPECT_THAT(win.strayList.Items(), ElementsAre("a.jpg"));
  EXPECT_EQ(messages.texts.size(), 1u);  // the question only
}

// A window killed after undos: the next start restores the undone state.
TEST(UndoHistory, AKillAfterUndosRestoresTheUndoneState) {
#ifdef _WIN32
  GTEST_SKIP() << "kills a forked process: Windows has no fork";
#else
  test::GameFolder game;
  game.Write("media/index.dat", kStart);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    test::RecordingMessageBox messages;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      UndoHistory h;
      h.Listen(db.imageIndex);
      AttachNew(db.imageIndex, h, "New", "n.jpg");
      db.imageIndex.RemoveImage(1, 1);
      db.imageIndex.AddImage(2, "w.jpg");
      h.Undo();
      h.Undo();
      h.Redo();
      raise(SIGKILL);
    });
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  test::RecordingMessageBox messages;
  RunWizard(SystemOs(), game.path(), messages, [](const GamePaths&, GameDatabase&) {});
  EXPECT_EQ(messages.texts, std::vector<std::string>{RestoredChangesMessage(7)});
  EXPECT_EQ(game.Read("media/index.dat"),
            "Hero\r\nc.jpg|b.jpg\r\nVillain\r\nv.jpg\r\nNew\r\nn.jpg\r\n");
#endif
}

}  // namespace
}  // namespace qvm
