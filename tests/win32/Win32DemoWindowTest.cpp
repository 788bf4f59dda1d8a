// The Win32 window on the demo game, used as a user would: clicks in the tree and the lists,
// the Delete key, files dropped from a file manager; what the controls show and what index.dat
// holds after the window has closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/PictureActions.h"
#include "app/Startup.h"
#include "app/win32/MainDialog.h"
#include "gamedb/LoadGameDatabase.h"
#include "platform/PathText.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"
#include "tests/win32/Win32TestUser.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using Names = std::vector<std::string>;

Names Items(const ListBox& list) {
  Names items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.ItemText(i));
  return items;
}

Names Selected(const ListBox& list) {
  Names items;
  for (int i : list.SelItems(1000)) items.push_back(list.ItemText(i));
  return items;
}

NodeHandle NodeAt(const CategoryTree& tree, const Names& path) {
  NodeHandle node = 0;
  for (const std::string& text : path) {
    NodeHandle found = 0;
    for (NodeHandle child : tree.Children(node))
      if (tree.Text(child) == text) found = child;
    if (!found) return 0;
    node = found;
  }
  return node;
}

// Opens the node's branches with the mouse on their buttons' rows, then clicks the node.
void ClickNode(MainDialog& window, const Names& path) {
  const NodeHandle node = NodeAt(window.wizard().tree, path);
  ASSERT_NE(node, 0u) << path.back();
  HWND tree = window.Tree().Window();
  for (NodeHandle up = window.wizard().tree.Parent(node); up; up = window.wizard().tree.Parent(up))
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND,
                   reinterpret_cast<LPARAM>(window.Tree().ItemOf(up)));
  HTREEITEM item = window.Tree().ItemOf(node);
  ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT rect{};
  std::memcpy(&rect, &item, sizeof item);  // the message takes the item in the rectangle
  ASSERT_TRUE(::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
  test::Click(tree, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
  ASSERT_EQ(window.wizard().c.itemsTree->Selection(), node) << path.back();
}

void ClickItem(MainDialog& window, int list, const std::string& text,
               test::Keys keys = test::Keys::None) {
  const int index = window.List(list).FindExact(-1, text);
  ASSERT_GE(index, 0) << text;
  test::Click(window.ControlWindow(list), test::ListItemCenter(window.ControlWindow(list), index),
              keys);
}

void DoubleClickItem(MainDialog& window, int list, const std::string& text) {
  const int index = window.List(list).FindExact(-1, text);
  ASSERT_GE(index, 0) << text;
  test::DoubleClick(window.ControlWindow(list),
                    test::ListItemCenter(window.ControlWindow(list), index));
}

std::string Report(const char* width, const char* height, const char* ratio,
                   const std::string& rest) {
  return std::string("Image Width: \t") + width + "\r\nImage Height: \t" + height +
         "\r\nAspect Ratio: \t" + ratio + rest;
}

// Files dropped onto the images list as a file manager drops them: an HDROP in global memory.
void Drop(MainDialog& window, const std::vector<fs::path>& files) {
  std::wstring names;
  for (const fs::path& file : files) names += file.wstring() + L'\0';
  names += L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
  ::GlobalUnlock(memory);
  ::SendMessageW(window.ControlWindow(id::kImagesList), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(memory), 0);
  test::Pump();  // the files are attached after the drop
}

class Win32DemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string generator = test::Quoted(QVM_DEMO_GAME);
    if (!test::UnderWine() || !test::RunUnix("test -x " + generator))
      GTEST_SKIP() << "the demo game generator of the Linux build is not there";
    const std::string command =
        generator + " " + test::Quoted(test::UnixPath(game)) + " 2>/dev/null";
    ASSERT_TRUE(test::RunUnix(command)) << command;
  }
  void TearDown() override {
    Win32MessageBox::SetScript(nullptr);
    Win32FileDialog::SetScript(nullptr);
    if (db_) {
      db_.reset();
      ReleasePool();
    }
  }

  // Loads the demo game as the start-up does, for a window the test opens itself.
  GameDatabase& LoadDemo() {
    NewPool();
    db_ = std::make_unique<GameDatabase>();
    demoPaths = ResolveGamePaths(SystemOs(), game);
    LoadGameDatabase(SystemOs(), demoPaths, *db_);
    return *db_;
  }

  test::TempFolder folder;
  fs::path game = folder / "demo";
  GamePaths demoPaths;

 private:
  std::unique_ptr<GameDatabase> db_;
};

TEST_F(Win32DemoWindowTest, ClickingEachKindOfRecordShowsIt) {
  GameDatabase& db = LoadDemo();
  test::RecordingMessageBox unexpected;
  Win32MessageBox::SetScript([&](std::string_view text, const MessageStyle& style) {
    return unexpected.Show(text, style);
  });
  {
    MainDialog window(SystemOs(), demoPaths, db);
    Wizard& w = window.wizard();
    // As built: nothing selected yet, the show/match panel over the members panel.
    EXPECT_EQ(w.c.recordText->Text(), "Control");
    EXPECT_FALSE(w.c.addImagesButton->IsEnabled());
    EXPECT_FALSE(window.ControlById(id::kShowText)->IsVisible());
    EXPECT_TRUE(window.ControlById(id::kSaveChangesButton)->IsVisible());
    EXPECT_GT(w.c.strayList->Count(), 0);
    ::ShowWindow(window.Window(), SW_SHOW);
    test::Pump();

    ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(w.c.recordText->Text(), "Ace Harmon (Wrestler)");
    EXPECT_FALSE(window.ControlById(id::kSaveChangesButton)->IsVisible());
    EXPECT_EQ(Items(*w.c.membersList), (Names{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(Selected(*w.c.membersList), Names{"Ace Harmon"});
    EXPECT_EQ(w.c.indexLineText->Text(), "Ace Harmon");
    EXPECT_EQ(Items(*w.c.imagesList), (Names{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("240", "300", ".8", "\r\nAspect ratio is perfectly  ok."));
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());

    ClickNode(window, {"Wrestlers", "A", "Ace Harmon", "The Ace"});
    EXPECT_EQ(w.c.recordText->Text(), "The Ace (Alias)");
    EXPECT_EQ(Selected(*w.c.membersList), (Names{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(w.c.membersList->ItemText(-1), "The Ace");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Ace");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"the_ace.bmp"});
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("300", "300", "1",
                     "\r\nRecommended Aspect Ratio:\t.8,\r\n\tequals e.g. 300x375 or 240x300"));

    ClickNode(window, {"Tag Teams", "T", "The Firebricks"});
    EXPECT_EQ(w.c.recordText->Text(), "The Firebricks (Tag Team)");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Firebricks (Blaze Corrigan/Brick Dalloway)");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"firebricks.jpg"});

    ClickNode(window, {"Stables", "T", "The Syndicate"});
    EXPECT_EQ(w.c.recordText->Text(), "The Syndicate (Stable)");
    EXPECT_TRUE(Selected(*w.c.membersList).empty());
    EXPECT_FALSE(w.c.addImagesButton->IsEnabled());
    ClickItem(window, id::kMembersList, "Vic Santoro");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Vic Santoro)");
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());
    ClickItem(window, id::kMembersList, "Derek Hollow", test::Keys::Ctrl);
    ClickItem(window, id::kMembersList, "Silas Crane", test::Keys::Ctrl);
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Derek Hollow/Silas Crane/Vic Santoro)");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"syndicate.jpg"});
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("600", "250", "2.4", "\r\nAspect ratio is perfectly  ok."));

    ClickNode(window, {"Managers", "P", "Percival Drake"});
    EXPECT_EQ(w.c.recordText->Text(), "Percival Drake (Manager)");
    EXPECT_EQ(w.c.indexLineText->Text(), "Percival Drake");

    ClickNode(window, {"Titles", "Hardcore Title"});
    EXPECT_EQ(w.c.recordText->Text(), "Hardcore Title (Title)");
    EXPECT_EQ(w.c.indexLineText->Text(), "Hardcore Title");
    // The stray picture named after the title stands out, with a tip saying why.
    const int stray = w.c.strayList->FindExact(-1, "Hardcore_Title.jpg");
    ASSERT_GE(stray, 0);
    EXPECT_EQ(window.List(id::kStrayList).EmphasisTip(stray), "Names the title Hardcore Title");
    EXPECT_THAT(
        window.Tips().TextFor(window.ControlWindow(id::kStrayList),
                              test::ListItemCenter(window.ControlWindow(id::kStrayList), stray)),
        ::testing::HasSubstr(L"Names the title Hardcore Title"));

    // A category: the record's panes are emptied.
    ClickNode(window, {"Wrestlers"});
    EXPECT_EQ(w.c.recordText->Text(), "Wrestlers (Category)");
    EXPECT_TRUE(Items(*w.c.membersList).empty());
    EXPECT_EQ(w.c.indexLineText->Text(), "");
  }
  EXPECT_THAT(unexpected.texts, ::testing::IsEmpty());
}

TEST_F(Win32DemoWindowTest, AttachByDoubleClickDialogAndDropRemoveByDeleteExitWritesIndex) {
  const std::string before = test::ReadBytes(game / "media" / "index.dat");
  test::WriteBytes(folder / "outside" / "Ring Photo.JPG",
                   test::ReadBytes(game / "media" / "nova.jpg"));
  test::WriteBytes(folder / "outside" / "Belt.bmp",
                   test::ReadBytes(game / "media" / "the_ace.bmp"));
  Names asked;
  Win32MessageBox::SetScript([&](std::string_view text, const MessageStyle& style) {
    asked.emplace_back(text);
    EXPECT_TRUE(style.yesNo && style.exclamation && style.defaultNo) << text;
    return MessageAnswer::Yes;
  });
  OpenFileRequest requested;
  Win32FileDialog::SetScript([&](const OpenFileRequest& request) {
    requested = request;
    return std::optional<FileChoice>(FileChoice{folder / "outside", {"Belt.bmp"}});
  });

  test::RecordingMessageBox messages;
  const int status =
      RunWizard(SystemOs(), game, messages, [&](const GamePaths& paths, GameDatabase& db) {
        MainDialog window(SystemOs(), paths, db);
        Wizard& w = window.wizard();
        ::ShowWindow(window.Window(), SW_SHOW);
        test::Pump();
        ClickNode(window, {"Wrestlers", "C", "Cassidy Storm"});
        EXPECT_TRUE(Items(*w.c.imagesList).empty());

        DoubleClickItem(window, id::kStrayList, "Cassidy_Storm.jpg");
        ::SendMessageW(window.ControlWindow(id::kAddImagesButton), BM_CLICK, 0, 0);
        EXPECT_EQ(requested.initialName, "*.JP*");
        Drop(window, {folder / "outside" / "Ring Photo.JPG"});
        // Refused: a file of no picture type.
        Drop(window, {folder / "outside" / "Belt.bmp", folder / "outside" / "notes.txt"});
        EXPECT_EQ(Items(*w.c.imagesList),
                  (Names{"belt.bmp", "cassidy_storm.jpg", "ring photo.jpg"}));
        Names strays = Items(*w.c.strayList);
        EXPECT_EQ(std::count(strays.begin(), strays.end(), "Cassidy_Storm.jpg"), 0);

        ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
        ClickItem(window, id::kImagesList, "ace_harmon.jpg");
        HWND images = window.ControlWindow(id::kImagesList);
        // Other keys, and a key pressed elsewhere and released here, do nothing.
        test::PressKey(images, VK_SPACE);
        ::SendMessageW(images, WM_KEYUP, VK_DELETE, 1 | (1u << 30) | (1u << 31));
        EXPECT_TRUE(asked.empty());
        // Held down, then released: asked once.
        test::PressKey(images, VK_DELETE, 5);
        EXPECT_EQ(asked, Names{"Do you really want to delete ace_harmon.jpg?"});
        EXPECT_EQ(Items(*w.c.imagesList), Names{"ace_harmon_2.jpg"});
        strays = Items(*w.c.strayList);
        EXPECT_EQ(std::count(strays.begin(), strays.end(), "ace_harmon.jpg"), 1);

        ::SendMessageW(window.ControlWindow(id::kExitButton), BM_CLICK, 0, 0);
        EXPECT_TRUE(window.Closed());
        window.Run();  // returns at once: the window is gone
      });
  EXPECT_EQ(status, 0);
  EXPECT_THAT(messages.texts, ::testing::IsEmpty());

  std::string expected = before;
  const std::string old = "ace_harmon.jpg|ace_harmon_2.jpg\r\n";
  ASSERT_NE(expected.find(old), std::string::npos);
  expected.replace(expected.find(old), old.size(), "ace_harmon_2.jpg\r\n");
  expected += "Cassidy Storm\r\ncassidy_storm.jpg|belt.bmp|ring photo.jpg\r\n";
  EXPECT_EQ(test::ReadBytes(game / "media" / "index.dat"), expected);
  EXPECT_EQ(test::ReadBytes(game / "media" / "index.dat.bak"), before);
  EXPECT_EQ(test::ReadBytes(game / "media" / "Ring Photo.JPG"),
            test::ReadBytes(game / "media" / "nova.jpg"));
  EXPECT_TRUE(fs::exists(game / "media" / "ace_harmon.jpg"));  // taken away, not deleted
}

TEST_F(Win32DemoWindowTest, MnemonicsTabEnterEscapeAndTheCloseBox) {
  GameDatabase& db = LoadDemo();
  MainDialog window(SystemOs(), demoPaths, db);
  ::ShowWindow(window.Window(), SW_SHOW);
  ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
  // A label's letter goes to the control it names; "R" is shared with a button: the focus
  // moves between the two without clicking.
  const struct {
    wchar_t letter;
    int focused;
  } mnemonics[] = {
      {L'm', id::kMembersList},   {L'i', id::kImagesList}, {L's', id::kStrayList},
      {L'c', id::kIndexLineText}, {L'r', id::kRecordText}, {L'R', id::kRefreshButton},
      {L'r', id::kRecordText},
  };
  for (const auto& m : mnemonics) {
    MSG alt{window.Tree().Window(), WM_SYSCHAR, m.letter, 1 << 29, 0, {}};
    window.Process(alt);
    test::Pump();
    EXPECT_EQ(::GetFocus(), window.ControlWindow(m.focused)) << static_cast<char>(m.letter);
  }
  // Tab visits the visible, enabled controls in the layout's order (the add button disabled).
  ClickNode(window, {"Wrestlers"});
  ::SetFocus(window.Tree().Window());
  const int order[] = {id::kMembersList,   id::kRecordText,    id::kImagesList,
                       id::kIndexLineText, id::kExitButton,    id::kImageInfoText,
                       id::kStrayList,     id::kRefreshButton, id::kItemsTree};
  for (int next : order) {
    MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    window.Process(tab);
    test::Pump();
    EXPECT_EQ(::GetFocus(), window.ControlWindow(next)) << next;
  }
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    MSG down{window.Tree().Window(), WM_KEYDOWN, key, 1, 0, {}};
    window.Process(down);
    test::Pump();
    EXPECT_FALSE(window.Closed()) << key;
  }
  ::SendMessageW(window.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(window.Closed());
}

TEST_F(Win32DemoWindowTest, FindFieldAndTheTipsOfClippedTexts) {
  GameDatabase& db = LoadDemo();
  {
    MainDialog window(SystemOs(), demoPaths, db);
    ::ShowWindow(window.Window(), SW_SHOW);
    Wizard& w = window.wizard();
    FindField& find = window.Find();
    find.Open();
    EXPECT_TRUE(find.IsOpen());
    // Typed: the first match, regardless of case and accents; Enter: the next one.
    ::SetWindowTextW(find.Field(), L"zoe");
    EXPECT_EQ(w.c.recordText->Text(), "Zo\xEB Marchetti (Wrestler)");
    MSG enter{find.Field(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    window.Process(enter);
    test::Pump();
    EXPECT_NE(w.c.recordText->Text(), "Zo\xEB Marchetti (Wrestler)");
    EXPECT_THAT(w.c.recordText->Text(), ::testing::HasSubstr("Zo"));
    ::SetWindowTextW(find.Field(), L"no such name");
    EXPECT_TRUE(find.NotFound());
    MSG escape{find.Field(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    window.Process(escape);
    test::Pump();
    EXPECT_FALSE(find.IsOpen());
    EXPECT_FALSE(window.Closed());

    // The whole text as a tip only where it does not fit.
    HWND record = window.ControlWindow(id::kRecordText);
    ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(window.Tips().TextFor(record, {}), L"");
    ClickNode(window, {"Tag Teams", "H", "Hank Bristow and Otto Grimsby"});
    EXPECT_EQ(window.Tips().TextFor(record, {}), L"Hank Bristow and Otto Grimsby (Tag Team)");
  }
}

// A crop placed with the keys and accepted with Enter, an upright copy from the menu's action:
// each new picture takes the original's place, the original stays in media.
TEST_F(Win32DemoWindowTest, CropToTheRatioAndAnUprightCopyTakeTheOriginalsPlace) {
  GameDatabase& db = LoadDemo();
  MainDialog window(SystemOs(), demoPaths, db);
  Wizard& w = window.wizard();
  ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
  ClickItem(window, id::kImagesList, "ace_harmon_2.jpg");
  window.StartCrop();
  ASSERT_NE(window.Crop(), nullptr);
  EXPECT_EQ(window.Crop()->Frame().Frame(), (PixelRect{0, 0, 300, 375}));
  test::PressKey(window.Crop()->Window(), VK_DOWN);
  EXPECT_GT(window.Crop()->Frame().Frame().y, 0);
  test::PressKey(window.Crop()->Window(), VK_RETURN);
  EXPECT_EQ(window.Crop(), nullptr);
  EXPECT_THAT(db.imageIndex.Entry(db.imageIndex.FindEntry("Ace Harmon")).images,
              ElementsAre("ace_harmon.jpg", "ace_harmon_2-crop.jpg"));
  EXPECT_EQ(w.c.imagesList->ItemText(-1), "ace_harmon_2-crop.jpg");
  EXPECT_EQ(w.c.imageInfoText->Text(),
            "Image Width: \t300\r\nImage Height: \t375\r\nAspect Ratio: \t.8\r\n"
            "Aspect ratio is perfectly  ok.");
  EXPECT_TRUE(fs::exists(game / "media" / "Ace_Harmon_2.JPG"));

  ClickNode(window, {"Wrestlers", "N", "Nova Sinclair"});
  EXPECT_EQ(PreviewMenu(w).front().text,
            "Stored turned (EXIF orientation 6): the game shows it turned");
  ASSERT_TRUE(MakeUprightCopy(w));
  EXPECT_EQ(w.c.imagesList->ItemText(-1), "nova-upright.jpg");
  EXPECT_EQ(ReadPictureHeader(SystemOs(), game / "media" / "nova-upright.jpg").orientation, 1);
}

}  // namespace
}  // namespace qvm
