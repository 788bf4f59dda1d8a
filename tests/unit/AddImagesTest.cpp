#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/ImageOperations.h"
#include "app/StrayList.h"
#include "images/AttachPictures.h"
#include "platform/PathText.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class AddImagesTest : public test::ImageOpsTest {
 protected:
  // A folder outside media holding `names`, each file's bytes its own name.
  fs::path Outside(std::initializer_list<const char*> names) {
    for (const char* n : names) test::WriteBytes(outside / n, n);
    return outside.path();
  }
  void Answer(const fs::path& folder, std::vector<fs::path> names) {
    win.fileDialog.answers.push_back(FileChoice{folder, std::move(names)});
  }
  std::vector<std::string> MediaFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(game / "media"))
      names.push_back(Utf8FromPath(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }
  test::TempFolder outside;
};

TEST_F(AddImagesTest, APictureFromOutsideIsCopiedAttachedLowerCasedAndListed) {
  Index("Hero\r\nold.jpg\r\n");
  Select("Hero");
  Answer(Outside({"Hero.JPG"}), {"Hero.JPG"});
  AddImages(w, "");

  ASSERT_EQ(win.fileDialog.requests.size(), 1u);
  const OpenFileRequest& r = win.fileDialog.requests[0];
  EXPECT_EQ(r.title, "QVM 7 Visualizer");
  EXPECT_EQ(r.startFolder, game / "media");
  EXPECT_THAT(r.filters,
              ElementsAre(std::pair<std::string, std::string>{"Jpegs", "*.JP*"},
                          std::pair<std::string, std::string>{"Bitmaps", "*.BMP"},
                          std::pair<std::string, std::string>{
                              "All pictures", "*.JP*;*.BMP;*.PNG;*.GIF;*.WEBP;*.TIF;*.TIFF"}));
  EXPECT_EQ(r.initialName, "*.JP*");
  EXPECT_TRUE(r.multiSelect);
  EXPECT_TRUE(r.mustExist);

  EXPECT_EQ(game.Read("media/Hero.JPG"), "Hero.JPG");
  EXPECT_EQ(IndexBytes(), "Hero\r\nold.jpg|hero.jpg\r\n");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("hero.jpg"));
  EXPECT_THAT(messages.texts, IsEmpty());
  EXPECT_THAT(MediaFiles(), ElementsAre("Hero.JPG", "index.dat"));  // no temporary file left
}

TEST_F(AddImagesTest, SeveralFilesAreAttachedInTheDialogsOrderAndListedSorted) {
  Select("Hero");
  Answer(Outside({"c.jpg", "A.JPG", "b.bmp"}), {"c.jpg", "A.JPG", "b.bmp"});
  AddImages(w, "");
  EXPECT_EQ(IndexBytes(), "Hero\r\nc.jpg|a.jpg|b.bmp\r\n");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("a.jpg", "b.bmp", "c.jpg"));
  EXPECT_THAT(MediaFiles(), ElementsAre("A.JPG", "b.bmp", "c.jpg", "index.dat"));
}

TEST_F(AddImagesTest, AFileAlreadyInMediaInAnyCaseIsNeverReplaced) {
  game.Write("media/HERO.jpg", "the picture already there");
  Select("Hero");
  struct Case {
    const char* what;
    fs::path folder;
  };
  const Case cases[] = {{"picked outside", Outside({"Hero.JPG"})},
                        {"picked in media", game / "media"}};
  for (const Case& c : cases) {
    Answer(c.folder, {c.folder == game / "media" ? "HERO.jpg" : "Hero.JPG"});
    AddImages(w, "");
    EXPECT_EQ(game.Read("media/HERO.jpg"), "the picture already there") << c.what;
    EXPECT_THAT(MediaFiles(), ElementsAre("HERO.jpg", "index.dat")) << c.what;
  }
  EXPECT_EQ(IndexBytes(), "Hero\r\nhero.jpg\r\n");
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(AddImagesTest, ANewKeyIsAppendedExactlyAsShown) {
  Index("Alpha\r\na.jpg\r\nBeta\r\n\r\n");
  Select(" New  Key ");
  AddImages(w, "stray.jpg");
  EXPECT_EQ(IndexBytes(), "Alpha\r\na.jpg\r\nBeta\r\n\r\n New  Key \r\nstray.jpg\r\n");
}

TEST_F(AddImagesTest, ANameTheEntryListsInAnyCaseChangesNothing) {
  Index("Hero\r\nhero.jpg\r\n");
  Select("HERO");
  ListImagesOf(1);
  Answer(Outside({"Hero.jpg"}), {"Hero.jpg"});
  AddImages(w, "");
  AddImages(w, "HERO.JPG");
  EXPECT_EQ(IndexBytes(), "Hero\r\nhero.jpg\r\n");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("hero.jpg"));
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(AddImagesTest, NothingSelectedOrACancelledDialogChangesNothing) {
  Index("Hero\r\n\r\n");
  // Empty key: the message, and no dialog.
  AddImages(w, "");
  AttachDroppedFiles(w, {Outside({"x.jpg"}) / "x.jpg"});
  EXPECT_THAT(messages.texts, ElementsAre(std::string(kSelectEntityFirstMessage),
                                          std::string(kSelectEntityFirstMessage)));
  EXPECT_EQ(messages.styles[0].yesNo, false);
  EXPECT_THAT(win.fileDialog.requests, IsEmpty());
  // A cancel: no entry, no file, no message.
  Select("Nobody Yet");
  win.fileDialog.answers.push_back(std::nullopt);
  AddImages(w, "");
  EXPECT_EQ(win.fileDialog.requests.size(), 1u);
  EXPECT_EQ(IndexBytes(), "Hero\r\n\r\n");
  EXPECT_THAT(MediaFiles(), ElementsAre("index.dat"));
  EXPECT_EQ(messages.texts.size(), 2u);
}

TEST_F(AddImagesTest, DoubleClickOnAStrayWithNothingSelectedDropsTheItemUntilRefresh) {
  game.Write("media/loose.jpg", "x");
  win.strayList.AddString("loose.jpg");
  win.strayList.AddString("other.jpg");
  win.strayList.UserClick(0);
  AddStrayImage(w);
  EXPECT_THAT(messages.texts, ElementsAre(std::string(kSelectEntityFirstMessage)));
  EXPECT_THAT(win.strayList.Items(), ElementsAre("other.jpg"));
  EXPECT_EQ(db.imageIndex.EntryCount(), 0);
  ScanStrayImages(w);
  EXPECT_THAT(win.strayList.Items(), ElementsAre("loose.jpg"));
}

TEST_F(AddImagesTest, DoubleClickOnAStrayAttachesItWithoutCopying) {
  game.Write("media/Loose.JPG", "x");
  Index("Hero\r\na.jpg\r\n");
  Select("Hero");
  win.strayList.AddString("Loose.JPG");
  win.strayList.UserClick(0);
  AddStrayImage(w);
  EXPECT_EQ(IndexBytes(), "Hero\r\na.jpg|loose.jpg\r\n");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("loose.jpg"));
  EXPECT_THAT(win.strayList.Items(), IsEmpty());
  // An empty stray list has no current item: nothing happens, no dialog opens.
  AddStrayImage(w);
  EXPECT_THAT(win.fileDialog.requests, IsEmpty());
  EXPECT_THAT(messages.texts, IsEmpty());
}

// Fails every write into a file whose name starts with ".qvm-copy-" with ENOSPC.
// The disk is full for copies into media.
void FillDisk(test::FaultyOs& os) {
  os.Fail(
      test::FaultyOs::Call::Write,
      [](const fs::path& p) { return p.filename().string().starts_with(".qvm-copy-"); },
      "No space left on device", 100);
}

TEST_F(AddImagesTest, AFailedCopyIsToldAndTheNameIsStillAttached) {
  Select("Hero");
  fs::path from = Outside({"full.jpg", "fine.jpg", "dir.jpg"});
  fs::create_directory(game / "media/dir.jpg");  // a folder in the way
  struct Case {
    const char* name;
    bool diskFull;
    const char* reason;
  };
  const Case cases[] = {
      {"full.jpg", true, "No space left on device"},
      {"dir.jpg", false, "something that is not a file has that name"},
  };
  for (const Case& c : cases) {
    messages.texts.clear();
    if (c.diskFull) FillDisk(os);
    Answer(from, {c.name});
    AddImages(w, "");
    os.Heal();
    ASSERT_EQ(messages.texts.size(), 1u) << c.name;
    EXPECT_EQ(messages.texts[0].rfind(
                  std::string(c.name) + " could not be copied into the media folder", 0),
              0u)
        << messages.texts[0];
    EXPECT_THAT(messages.texts[0], HasSubstr(c.reason));
    EXPECT_THAT(messages.texts[0], HasSubstr("attached all the same"));
  }
  EXPECT_EQ(IndexBytes(), "Hero\r\nfull.jpg|dir.jpg\r\n");
  EXPECT_THAT(MediaFiles(), ElementsAre("dir.jpg", "index.dat"));  // no half-written copy
  // The other files of one choice still go through.
  FillDisk(os);
  messages.texts.clear();
  Answer(from, {"full.jpg", "fine.jpg"});
  AddImages(w, "");
  EXPECT_EQ(messages.texts.size(), 1u);
  os.Heal();
  EXPECT_EQ(IndexBytes(), "Hero\r\nfull.jpg|dir.jpg|fine.jpg\r\n");
}

TEST_F(AddImagesTest, NamesThatCannotStandInTheIndexAreRefusedAndNothingLeavesTheGame) {
  Select("Hero");
  fs::path from = Outside({"ok.jpg"});
  test::WriteBytes(outside / "\xCE\xA9mega.jpg", "omega");  // Greek capital omega
  test::WriteBytes(outside / "a|b.jpg", "bar");
  test::WriteBytes(outside / "line\nbreak.jpg", "lf");
  fs::create_directory(outside / "folder.jpg");
  test::WriteBytes(game / "secret.jpg", "inside the game, outside media");
  struct Case {
    fs::path folder;
    fs::path name;
    const char* why;
  };
  const Case cases[] = {
      {from, PathFromUtf8("\xCE\xA9mega.jpg"), "Windows-1252"},
      {from, "a|b.jpg", "\"|\""},
      {from, "line\nbreak.jpg", "control character"},
      {from, std::string(252, 'x') + ".jpg", "longer than 255 bytes"},
      {from, "missing.jpg", "no such file"},
      {from, "folder.jpg", "not a file"},
      {from, "", "empty"},
      {from, "..", "plain file name"},
      {game / "media", "../secret.jpg", "plain file name"},
      {from, "sub/x.jpg", "plain file name"},
      {from, "/etc/passwd", "plain file name"},
      {from, "C:x.jpg", "plain file name"},
      {from, "back\\slash.jpg", "plain file name"},
  };
  for (const Case& c : cases) {
    messages.texts.clear();
    Answer(c.folder, {c.name, "ok.jpg"});
    AddImages(w, "");
    ASSERT_EQ(messages.texts.size(), 1u) << c.name;
    EXPECT_THAT(messages.texts[0], HasSubstr("was not attached"));
    EXPECT_THAT(messages.texts[0], HasSubstr(c.why)) << c.name;
  }
  // Only the good file of each choice was copied and attached.
  EXPECT_EQ(IndexBytes(), "Hero\r\nok.jpg\r\n");
  EXPECT_THAT(MediaFiles(), ElementsAre("index.dat", "ok.jpg"));
  // Names from the stray list obey the same rules.
  messages.texts.clear();
  AddImages(w, "a|b.jpg");
  EXPECT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(IndexBytes(), "Hero\r\nok.jpg\r\n");
}

TEST_F(AddImagesTest, ALinkInMediaIsNeverWrittenThrough) {
  Select("Hero");
  test::TempFolder elsewhere;
  test::WriteBytes(elsewhere / "target.jpg", "not ours");
  if (!test::MakeSymlink(elsewhere / "target.jpg", game / "media/linked.jpg") ||
      !test::MakeSymlink(elsewhere / "gone.jpg", game / "media/dangling.jpg"))
    GTEST_SKIP() << test::CannotMake("link");
  Answer(Outside({"Linked.JPG", "dangling.jpg"}), {"Linked.JPG", "dangling.jpg"});
  AddImages(w, "");
  EXPECT_EQ(test::ReadBytes(elsewhere / "target.jpg"), "not ours");
  EXPECT_FALSE(fs::exists(elsewhere / "gone.jpg"));
  // Wine sees nothing where a link leads to nothing, so the copy took the link's place there.
  if (test::UnderWine()) return;
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].rfind("dangling.jpg could not be copied", 0), 0u);
  EXPECT_EQ(IndexBytes(), "Hero\r\nlinked.jpg|dangling.jpg\r\n");
}

TEST_F(AddImagesTest, DroppedFilesFromSeveralFoldersTakeTheDialogsPath) {
  Select("Hero");
  test::TempFolder second;
  test::WriteBytes(second / "Two.bmp", "two");
  AttachDroppedFiles(w, {Outside({"One.jpg"}) / "One.jpg", second / "Two.bmp"});
  EXPECT_EQ(IndexBytes(), "Hero\r\none.jpg|two.bmp\r\n");
  EXPECT_EQ(game.Read("media/Two.bmp"), "two");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("one.jpg", "two.bmp"));
  AttachChosenFiles(w, FileChoice{second.path(), {"Two.bmp"}});
  EXPECT_EQ(IndexBytes(), "Hero\r\none.jpg|two.bmp\r\n");
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(AddImagesTest, AdditionsBeyondTheCapacitiesAreRefused) {
  std::string bytes = "K1\r\n";
  for (int i = 0; i < kImagesPerEntryCapacity; ++i)
    bytes += (i ? "|p" : "p") + std::to_string(i) + ".jpg";
  bytes += "\r\n";
  for (int i = 2; i <= kIndexEntryCapacity; ++i) bytes += "K" + std::to_string(i) + "\r\n\r\n";
  Index(bytes);
  ASSERT_EQ(db.imageIndex.Entry(1).images.size(), 100u);

  // A new key when the table is full: refused before anything is copied.
  Select("Brand New");
  Answer(Outside({"new.jpg"}), {"new.jpg"});
  AddImages(w, "");
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_THAT(messages.texts[0], HasSubstr("4000 entries"));
  EXPECT_EQ(db.imageIndex.EntryCount(), kIndexEntryCapacity);
  EXPECT_THAT(MediaFiles(), ElementsAre("index.dat"));

  // A 101st name for one entry: refused; a name it lists already is still no problem.
  messages.texts.clear();
  Select("k1");
  AddImages(w, "P5.JPG");
  EXPECT_THAT(messages.texts, IsEmpty());
  AddImages(w, "one-more.jpg");
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_THAT(messages.texts[0], HasSubstr("100 pictures"));
  EXPECT_EQ(db.imageIndex.Entry(1).images.size(), 100u);
  EXPECT_THAT(win.imagesList.Items(), IsEmpty());
}

TEST(CopyToNewFileTest, NeverReplacesAFileThatAppearedAndLeavesNothingBehind) {
  test::TempFolder folder;
  test::WriteBytes(folder / "src.jpg", std::string(200000, 'p'));
  test::WriteBytes(folder / "media/taken.jpg", "mine");
  std::string error;
  EXPECT_FALSE(CopyToNewFile(SystemOs(), folder / "src.jpg", folder / "media/taken.jpg", &error));
  EXPECT_THAT(error, HasSubstr("appeared"));
  EXPECT_EQ(test::ReadBytes(folder / "media/taken.jpg"), "mine");
  EXPECT_TRUE(CopyToNewFile(SystemOs(), folder / "src.jpg", folder / "media/new.jpg", &error));
  EXPECT_EQ(test::ReadBytes(folder / "media/new.jpg"), std::string(200000, 'p'));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "media"), {}), 2);
  EXPECT_FALSE(
      CopyToNewFile(SystemOs(), folder / "src.jpg", folder / "no-such-folder/x.jpg", &error));
  EXPECT_THAT(error, HasSubstr("No such file or directory"));
}

}  // namespace
}  // namespace qvm
