// Names from files and dialogs never make the wizard read, copy or write outside the game
// folder: every hostile name is tried against the preview, attaching and the stray scan.
#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "app/ImageOperations.h"
#include "app/Preview.h"
#include "app/StrayList.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm {
namespace {
namespace fs = std::filesystem;

// Every file below `root` with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_symlink())
      files[e.path().string()] = "-> " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file())
      files[e.path().string()] = test::ReadBytes(e.path());
  }
  return files;
}

bool Inside(const fs::path& path, const fs::path& folder) {
  fs::path p = fs::weakly_canonical(path), f = fs::weakly_canonical(folder);
  auto [end, _] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
  return end == f.end();
}

class ContainmentTest : public test::ImageOpsTest {
 protected:
  void SetUp() override {
    ImageOpsTest::SetUp();
    outside = game.path().parent_path() / (game.path().filename().string() + "-outside");
    fs::create_directories(outside / "sub");
    test::WriteBytes(outside / "secret.jpg", "secret");
    test::WriteBytes(outside / "sub" / "x.jpg", "x");
    // Without the link where Wine would show it as the file it points to, or where Windows
    // makes none without a privilege: the names are hostile enough on their own.
    if (!test::UnderWine() && !test::MakeSymlink(outside / "secret.jpg", game / "media/link.jpg")) {
      ASSERT_TRUE(test::kWindows) << "no link made";
    }
    test::WriteBytes(game / "media/inside.jpg", "inside");
  }
  void TearDown() override {
    fs::remove_all(outside);
    ImageOpsTest::TearDown();
  }
  fs::path outside;
};

const std::vector<std::string> kHostileNames = {"..",
                                                ".",
                                                "",
                                                "../secret.jpg",
                                                "..\\secret.jpg",
                                                "/etc/passwd",
                                                "\\etc\\passwd",
                                                "C:\\secret.jpg",
                                                "c:secret.jpg",
                                                "sub/x.jpg",
                                                "media/../../secret.jpg",
                                                std::string(300, 'a') + ".jpg",
                                                "link.jpg",
                                                "a|b.jpg",
                                                "new\nline.jpg"};

TEST_F(ContainmentTest, HostileNamesNeverLeaveTheGameFolder) {
  int tried = 0, escapes = 0;
  auto before = Snapshot(outside);
  const fs::path parent = game.path().parent_path();

  // The preview of index names.
  win.imaging.SetImageSize("secret.jpg", 10, 10);
  for (const std::string& name : kHostileNames) {
    ++tried;
    win.imagesList.ResetContent();
    win.imagesList.AddString(name);
    win.imagesList.SetCurrent(0);
    win.imaging.calls.clear();
    ShowPreview(w, false);
    for (const ImagingCall& call : win.imaging.calls) {
      if (call.file.empty()) continue;
      // A link is judged by where it leads.
      if (!Inside(call.file, game.path())) ++escapes;
    }
  }

  // Attaching names a dialog (or a drop) hands over.
  Index("Hero\r\n\r\n");
  Select("Hero");
  // Where a name taken as a path would land beside or above the game folder.
  auto strayCopies = [&] {
    int found = 0;
    for (const char* p : {"secret.jpg", "x.jpg", "passwd"}) {
      found += fs::exists(parent / p);
      found += fs::exists(game.path() / p);
    }
    return found;
  };
  const int copiesBefore = strayCopies();
  const auto passwd = fs::last_write_time("/etc/passwd");
  for (const std::string& name : kHostileNames) {
    ++tried;
    AttachChosenFiles(w, FileChoice{outside / "sub", {fs::path(name)}});
    if (strayCopies() != copiesBefore || Snapshot(outside) != before ||
        fs::last_write_time("/etc/passwd") != passwd)
      ++escapes;
  }
  ++tried;
  AttachDroppedFiles(w, {outside / "secret.jpg"});  // a plain picture from outside is copied in
  EXPECT_EQ(test::ReadBytes(game / "media/secret.jpg"), "secret");

  // The stray scan with a link leading out of the game folder.
  ++tried;
  ScanStrayImages(w);
  for (const std::string& stray : win.strayList.Items())
    if (stray == "link.jpg") ++escapes;

  if (Snapshot(outside) != before) ++escapes;
  std::cout << "[ figure ] hostile names: cases tried " << tried << ", escapes " << escapes << "\n";
  EXPECT_EQ(escapes, 0);
  // The link itself was never written through.
  EXPECT_EQ(test::ReadBytes(outside / "secret.jpg"), "secret");
}

}  // namespace
}  // namespace qvm
