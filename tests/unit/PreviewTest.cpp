#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "RecordingMessageBox.h"
#include "TestFolder.h"
#include "app/MemoryWindow.h"
#include "app/Preview.h"
#include "tests/unit/WindowFixture.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kWrestler400x500 =
    "Image Width: \t400\r\nImage Height: \t500\r\nAspect Ratio: \t.8\r\n"
    "Aspect ratio is perfectly  ok.";

class PreviewTest : public test::WindowTest {
 protected:
  // A picture in media (the file's content does not matter: the imaging is recorded).
  void Picture(const std::string& fileName, int width, int height) {
    game.Write("media/" + fileName, "picture");
    window.imaging.SetImageSize(fileName, width, height);
  }
  std::vector<ImagingCall> Calls(std::string_view name) const {
    return window.imaging.CallsNamed(name);
  }
};

TEST_F(PreviewTest, DrawsTheCurrentImageFittedAndWritesTheReport) {
  Picture("Ann.JPG", 400, 500);  // listed in lower case, stored with capitals
  Picture("bo.jpg", 640, 480);
  window.imagesList.AddString("ann.jpg");
  window.imagesList.AddString("bo.jpg");
  window.imagesList.SetCurrent(0);
  w.currentRecordKind = RecordKind::Wrestler;
  ShowPreview(w, false);

  std::vector<std::string> order;
  for (const ImagingCall& call : window.imaging.calls) order.push_back(call.name);
  EXPECT_THAT(order, ElementsAre("BrushColor", "GfxCLS", "ImageParam", "ImageParam", "GfxConvert",
                                 "GfxConvert", "StretchImage"));
  EXPECT_EQ(Calls("BrushColor")[0].args, std::vector<std::int64_t>{0x501414});
  EXPECT_EQ(Calls("ImageParam")[0].args[0], 1);
  EXPECT_EQ(Calls("ImageParam")[1].args[0], 2);
  EXPECT_EQ(Calls("GfxConvert")[0].args, (std::vector<std::int64_t>{2, 375}));
  EXPECT_EQ(Calls("GfxConvert")[1].args, (std::vector<std::int64_t>{1, 300}));
  const ImagingCall stretch = Calls("StretchImage")[0];
  EXPECT_EQ(stretch.args, (std::vector<std::int64_t>{300, 375}));
  EXPECT_EQ(stretch.file, paths.media / "Ann.JPG");
  EXPECT_EQ(window.imageInfoText.Text(), kWrestler400x500);
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(PreviewTest, EmptySourceListOnlyClearsTheArea) {
  window.imageInfoText.SetText("earlier report");
  ShowPreview(w, false);
  ShowPreview(w, true);
  EXPECT_EQ(Calls("GfxCLS").size(), 2u);
  EXPECT_EQ(Calls("BrushColor").size(), 2u);
  EXPECT_THAT(Calls("ImageParam"), IsEmpty());
  EXPECT_EQ(window.imageInfoText.Text(), "earlier report");
}

TEST_F(PreviewTest, StrayPreviewLeavesNoImageCurrentAndAdvisesForTheLastKind) {
  Picture("wide.jpg", 1000, 500);
  window.imagesList.AddString("a.jpg");
  window.imagesList.SetCurrent(0);
  window.strayList.AddString("wide.jpg");
  window.strayList.SetCurrent(0);
  w.currentRecordKind = RecordKind::TagTeam;
  ShowPreview(w, true);
  EXPECT_EQ(window.imagesList.Current(), -1);
  EXPECT_EQ(window.imagesList.SelCount(), 0);
  EXPECT_EQ(window.imageInfoText.Text(),
            "Image Width: \t1000\r\nImage Height: \t500\r\nAspect Ratio: \t2\r\n"
            "Recommended Aspect Ratio:\t1.6,\r\n\tequals e.g. 1000x625 or 800x500");
}

TEST_F(PreviewTest, StableAdviceCountsTheMembersSelectedNow) {
  Picture("clan.jpg", 800, 500);
  window.imagesList.AddString("clan.jpg");
  window.imagesList.SetCurrent(0);
  for (const char* m : {"Al", "Bo", "Cy"}) window.membersList.AddString(m);
  window.membersList.SetSel(true, 0);
  window.membersList.SetSel(true, 2);
  w.currentRecordKind = RecordKind::Stable;
  ShowPreview(w, false);
  EXPECT_EQ(window.imageInfoText.Text(),
            "Image Width: \t800\r\nImage Height: \t500\r\nAspect Ratio: \t1.6\r\n"
            "Aspect ratio is perfectly  ok.");
  window.membersList.SetSel(false, -1);
  window.imageInfoText.SetText("");
  ShowPreview(w, false);
  EXPECT_EQ(window.imageInfoText.Text(),
            "Image Width: \t800\r\nImage Height: \t500\r\nAspect Ratio: \t1.6");
}

// Names come from index.dat: whatever they say, nothing outside the game folder is read, and
// an unreadable picture is neither drawn nor divided by.
TEST_F(PreviewTest, UnsafeMissingOrUnreadablePicturesGiveZeroSizes) {
  namespace fs = std::filesystem;
  test::TempFolder outside;
  test::WriteBytes(outside / "secret.jpg", "x");
  game.Write("media/sub/inner.jpg", "x");
  if (!test::MakeSymlink(outside / "secret.jpg", paths.media / "leak.jpg") ||
      !test::MakeSymlink("../qvm.vrs", paths.media / "home.jpg"))
    GTEST_SKIP() << test::CannotMake("link");
  Picture("unreadable.jpg", 0, 0);
  window.imaging.SetImageSize("secret.jpg", 400, 500);
  window.imaging.SetImageSize("leak.jpg", 400, 500);
  window.imaging.SetImageSize("inner.jpg", 400, 500);

  const std::string zeros = "Image Width: \t0\r\nImage Height: \t0";
  struct Case {
    std::string name;
    bool askedLibrary;  // the name led to a regular file inside the game folder
  };
  const Case cases[] = {
      {"..", false},
      {"../qvm.vrs", false},
      {"..\\qvm.vrs", false},
      {(outside / "secret.jpg").string(), false},
      {"", false},
      {std::string(300, 'a') + ".jpg", false},
      {"sub", false},
      {"sub/inner.jpg", false},
      {"leak.jpg", false},
      {"missing.jpg", false},
      {"home.jpg", true},
      {"unreadable.jpg", true},
  };
  w.currentRecordKind = RecordKind::Wrestler;
  for (const Case& c : cases) {
    if (c.name == "leak.jpg" && test::UnderWine()) continue;  // test::kWineShowsLinksAsTargets
    window.imaging.calls.clear();
    window.imagesList.ResetContent();
    window.imagesList.AddString(c.name);
    window.imagesList.SetCurrent(0);
    window.imageInfoText.SetText("earlier report");
    ShowPreview(w, false);
    EXPECT_EQ(window.imageInfoText.Text(), zeros) << c.name;
    EXPECT_EQ(Calls("ImageParam").size(), c.askedLibrary ? 2u : 0u) << c.name;
    EXPECT_THAT(Calls("StretchImage"), IsEmpty()) << c.name;
    EXPECT_EQ(Calls("GfxCLS").size(), 1u) << c.name;
  }
}

}  // namespace
}  // namespace qvm
