#include "tests/support/DemoScenarios.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/PictureActions.h"
#include "images/PictureHeader.h"
#include "platform/Os.h"
#include "tests/support/TreePath.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tree/MissingPictures.h"

namespace qvm::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
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

std::string Report(const char* width, const char* height, const char* ratio,
                   const std::string& rest) {
  return std::string("Image Width: \t") + width + "\r\nImage Height: \t" + height +
         "\r\nAspect Ratio: \t" + ratio + rest;
}

const std::string kOk = "\r\nAspect ratio is perfectly  ok.";

NodeHandle Node(DemoWindow& d, const std::vector<std::string_view>& path) {
  const NodeHandle node = NodeAtPath(d.W().tree, path);
  EXPECT_NE(node, 0u) << path.back();
  return node;
}

// The entities that `missing` lists, as (kind, place in the table), in its order.
std::vector<std::pair<RecordKind, std::size_t>> Missing(const Wizard& w) {
  std::vector<std::pair<RecordKind, std::size_t>> out;
  for (const MissingEntity& m : EntitiesWithoutPictures(w.db, w.db.imageIndex))
    out.emplace_back(m.entity.kind, m.entity.index);
  return out;
}

std::pair<RecordKind, std::size_t> EntityAt(const Wizard& w, NodeHandle node) {
  const auto entity = EntityOfNode(w.db, w.tree, node);
  if (!entity) return {RecordKind::None, 0};
  return {entity->kind, entity->index};
}

// Message boxes are recorded; none is expected unless a scenario says so.
void RecordMessages(DemoWindow& d, RecordingMessageBox& messages, MessageAnswer answer) {
  d.AnswerMessages([&messages, answer](std::string_view text, const MessageStyle& style) {
    messages.Show(text, style);
    return answer;
  });
}

void ClickingEachKindOfRecordShowsIt(DemoWindow& d) {
  RecordingMessageBox unexpected;
  RecordMessages(d, unexpected, MessageAnswer::No);
  d.Run(false, [&] {
    Wizard& w = d.W();
    // Shown: nothing to add pictures to yet, the show and match fields hidden, the stray list
    // filled.
    EXPECT_FALSE(w.c.addImagesButton->IsEnabled());
    EXPECT_FALSE(w.c.host->ControlById(id::kShowText)->IsVisible());
    EXPECT_GT(w.c.strayList->Count(), 0);

    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(w.c.recordText->Text(), "Ace Harmon (Wrestler)");
    EXPECT_FALSE(w.c.host->ControlById(id::kSaveChangesButton)->IsVisible());
    EXPECT_EQ(Items(*w.c.membersList), (Names{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(Selected(*w.c.membersList), Names{"Ace Harmon"});
    EXPECT_EQ(w.c.indexLineText->Text(), "Ace Harmon");
    EXPECT_EQ(Items(*w.c.imagesList), (Names{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
    EXPECT_EQ(w.c.imageInfoText->Text(), Report("240", "300", ".8", kOk));
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());
    EXPECT_TRUE(d.PreviewDrawn());

    // The wrestler's other name: both names selected, the alias current and its pictures shown.
    d.ClickNode({"Wrestlers", "A", "Ace Harmon", "The Ace"});
    EXPECT_EQ(w.c.recordText->Text(), "The Ace (Alias)");
    EXPECT_EQ(Selected(*w.c.membersList), (Names{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(w.c.membersList->ItemText(-1), "The Ace");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Ace");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"the_ace.bmp"});
    // A square picture for a wrestler: the advice gives both ways to 0.8.
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("300", "300", "1",
                     "\r\nRecommended Aspect Ratio:\t.8,\r\n\tequals e.g. 300x375 or 240x300"));

    d.ClickNode({"Tag Teams", "T", "The Firebricks"});
    EXPECT_EQ(w.c.recordText->Text(), "The Firebricks (Tag Team)");
    EXPECT_EQ(Items(*w.c.membersList), (Names{"Blaze Corrigan", "Brick Dalloway"}));
    EXPECT_EQ(w.c.indexLineText->Text(), "The Firebricks (Blaze Corrigan/Brick Dalloway)");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"firebricks.jpg"});
    EXPECT_EQ(w.c.imageInfoText->Text(), Report("480", "300", "1.6", kOk));

    // A stable: every name of every member, none picked; the team's pictures stay until
    // members are picked, and only then can pictures be added.
    d.ClickNode({"Stables", "T", "The Syndicate"});
    EXPECT_EQ(w.c.recordText->Text(), "The Syndicate (Stable)");
    EXPECT_EQ(Items(*w.c.membersList),
              (Names{"Derek Hollow", "Silas Crane", "Vic Santoro", "X", "Xander Bloom"}));
    EXPECT_TRUE(Selected(*w.c.membersList).empty());
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"firebricks.jpg"});
    EXPECT_FALSE(w.c.addImagesButton->IsEnabled());
    d.ClickItem(id::kMembersList, "Vic Santoro");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Vic Santoro)");
    EXPECT_TRUE(Items(*w.c.imagesList).empty());
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());
    d.ClickItem(id::kMembersList, "Derek Hollow", true);
    d.ClickItem(id::kMembersList, "Silas Crane", true);
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Derek Hollow/Silas Crane/Vic Santoro)");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"syndicate.jpg"});
    // 600 x 250 is 2.4, what three members want.
    EXPECT_EQ(w.c.imageInfoText->Text(), Report("600", "250", "2.4", kOk));
    EXPECT_TRUE(d.PreviewDrawn());

    d.ClickNode({"Managers", "P", "Percival Drake"});
    EXPECT_EQ(w.c.recordText->Text(), "Percival Drake (Manager)");
    EXPECT_EQ(w.c.indexLineText->Text(), "Percival Drake");
    d.ClickNode({"Titles", "Hardcore Title"});
    EXPECT_EQ(w.c.recordText->Text(), "Hardcore Title (Title)");
    EXPECT_EQ(w.c.indexLineText->Text(), "Hardcore Title");

    // A category: the record's panes are emptied.
    d.ClickNode({"Wrestlers"});
    EXPECT_EQ(w.c.recordText->Text(), "Wrestlers (Category)");
    EXPECT_TRUE(Items(*w.c.membersList).empty());
    EXPECT_EQ(w.c.indexLineText->Text(), "");
  });
  EXPECT_THAT(unexpected.texts, IsEmpty());
}

void StrayPicturesNamedAfterTheSelectedRecordStandOut(DemoWindow& d) {
  d.Run(false, [&] {
    Wizard& w = d.W();
    const Names listed = Items(*w.c.strayList);
    EXPECT_THAT(d.Emphasised(id::kStrayList), IsEmpty());
    const struct Case {
      std::vector<std::string> node;
      Names bold;  // UTF-8
    } cases[] = {
        {{"Wrestlers", "Z", "Zo\xEB Marchetti"},
         {"Zoe-Marchetti_2.JPG: Names the wrestler Zo\u00EB Marchetti"}},
        {{"Wrestlers", "H", "Hank Bristow"}, {"Hank_Bristow.BMP: Names the wrestler Hank Bristow"}},
        {{"Tag Teams", "H", "Hank Bristow and Otto Grimsby"},
         {"hank_bristow_and_otto_grimsby.jpg: Names the tag team Hank Bristow and Otto Grimsby"}},
        {{"Wrestlers", "H"}, {}},
        {{"Titles", "Hardcore Title"}, {"Hardcore_Title.jpg: Names the title Hardcore Title"}},
        {{"Stables", "M", "Midnight Order"},
         {"midnight-order.bmp: Names the stable Midnight Order"}},
    };
    for (const Case& c : cases) {
      d.ClickNode(c.node);
      EXPECT_EQ(d.Emphasised(id::kStrayList), c.bold) << c.node.back();
      EXPECT_EQ(Items(*w.c.strayList), listed);
    }
    // The picture's tip says it too, beneath the picture.
    d.ClickNode({"Wrestlers", "Z", "Zo\xEB Marchetti"});
    EXPECT_THAT(d.PictureTip(id::kStrayList, "Zoe-Marchetti_2.JPG"),
                HasSubstr("Names the wrestler Zo\u00EB Marchetti"));

    // A double-click attaches it as ever; it leaves the list, nothing else changes.
    d.ClickNode({"Wrestlers", "H", "Hank Bristow"});
    d.DoubleClickItem(id::kStrayList, "Hank_Bristow.BMP");
    EXPECT_EQ(Items(*w.c.imagesList), Names{"hank_bristow.bmp"});
    EXPECT_THAT(d.Emphasised(id::kStrayList), IsEmpty());
    EXPECT_EQ(Items(*w.c.strayList).size(), listed.size() - 1);
  });
}

void AttachByDialogDoubleClickAndDropRemoveByDeleteExitWritesIndex(DemoWindow& d) {
  const fs::path media = d.Game() / "media", outside = d.Folder() / "outside";
  const std::string before = ReadBytes(media / "index.dat");
  WriteBytes(outside / "Ring Photo.JPG", ReadBytes(media / "nova.jpg"));
  WriteBytes(outside / "Belt.bmp", ReadBytes(media / "the_ace.bmp"));
  WriteBytes(outside / "notes.txt", "x");
  Names asked;
  d.AnswerMessages([&](std::string_view text, const MessageStyle& style) {
    asked.emplace_back(text);
    EXPECT_TRUE(style.yesNo && style.exclamation && style.defaultNo) << text;
    return MessageAnswer::Yes;
  });
  OpenFileRequest requested;
  d.AnswerFileDialog([&](const OpenFileRequest& request) {
    requested = request;
    return std::optional<FileChoice>(FileChoice{outside, {"Belt.bmp"}});
  });
  d.Run(true, [&] {
    Wizard& w = d.W();
    d.ClickNode({"Wrestlers", "C", "Cassidy Storm"});
    EXPECT_TRUE(Items(*w.c.imagesList).empty());
    d.DoubleClickItem(id::kStrayList, "Cassidy_Storm.jpg");
    d.ClickButton(id::kAddImagesButton);
    EXPECT_EQ(requested.initialName, "*.JP*");
    d.Drop({outside / "Ring Photo.JPG"});
    // Refused: a file of no picture type among them.
    d.Drop({outside / "Belt.bmp", outside / "notes.txt"});
    EXPECT_EQ(Items(*w.c.imagesList), (Names{"belt.bmp", "cassidy_storm.jpg", "ring photo.jpg"}));
    Names strays = Items(*w.c.strayList);
    EXPECT_EQ(std::count(strays.begin(), strays.end(), "Cassidy_Storm.jpg"), 0);

    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    d.ClickItem(id::kImagesList, "ace_harmon.jpg");
    ASSERT_TRUE(d.HasFocus(id::kImagesList));
    d.PressKeysBesideDelete();
    EXPECT_TRUE(asked.empty());
    d.PressDelete(5);
    EXPECT_EQ(asked, Names{"Do you really want to delete ace_harmon.jpg?"});
    // After the question the keyboard is back where it was.
    EXPECT_TRUE(d.HasFocus(id::kImagesList));
    EXPECT_EQ(Items(*w.c.imagesList), Names{"ace_harmon_2.jpg"});
    strays = Items(*w.c.strayList);
    EXPECT_EQ(std::count(strays.begin(), strays.end(), "ace_harmon.jpg"), 1);
  });
  std::string expected = before;
  const std::string old = "ace_harmon.jpg|ace_harmon_2.jpg\r\n";
  ASSERT_NE(expected.find(old), std::string::npos);
  expected.replace(expected.find(old), old.size(), "ace_harmon_2.jpg\r\n");
  expected += "Cassidy Storm\r\ncassidy_storm.jpg|belt.bmp|ring photo.jpg\r\n";
  EXPECT_EQ(ReadBytes(media / "index.dat"), expected);
  EXPECT_EQ(ReadBytes(media / "index.dat.bak"), before);
  EXPECT_EQ(ReadBytes(media / "Ring Photo.JPG"), ReadBytes(media / "nova.jpg"));
  EXPECT_TRUE(fs::exists(media / "ace_harmon.jpg"));  // taken away, not deleted
}

void LongNamesAndKeysCanBeReadWhole(DemoWindow& d) {
  d.Run(false, [&] {
    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(d.FieldTip(id::kRecordText), "");  // it fits
    EXPECT_EQ(d.FieldTip(id::kIndexLineText), "");
    d.ClickNode({"Tag Teams", "H", "Hank Bristow and Otto Grimsby"});
    EXPECT_EQ(d.FieldTip(id::kRecordText), "Hank Bristow and Otto Grimsby (Tag Team)");
    d.ClickNode({"Stables", "C", "Crown Jewels"});
    d.ClickItem(id::kMembersList, "Cassidy Storm");
    for (const char* name : {"Iris Calloway", "Tess Marlowe", "Zo\xEB Marchetti"})
      d.ClickItem(id::kMembersList, name, true);
    EXPECT_THAT(d.FieldTip(id::kIndexLineText),
                HasSubstr("Crown Jewels (Cassidy Storm/Iris Calloway/Tess Marlowe/Zo\u00EB "
                          "Marchetti)"));
  });
}

void TheFindFieldGoesToNamesContainingTheText(DemoWindow& d) {
  d.Run(false, [&] {
    Wizard& w = d.W();
    // Typed: the first match, regardless of case and accents; Enter: the next one.
    d.FindType("zoe");
    EXPECT_TRUE(d.FindOpen());
    EXPECT_EQ(w.c.recordText->Text(), "Zo\xEB Marchetti (Wrestler)");
    d.FindEnter();
    EXPECT_NE(w.c.recordText->Text(), "Zo\xEB Marchetti (Wrestler)");
    EXPECT_THAT(w.c.recordText->Text(), HasSubstr("Zo"));
    d.FindType("no such name");
    EXPECT_TRUE(d.FindNotFound());
    d.FindEscape();
    EXPECT_FALSE(d.FindOpen());
  });
}

void TheTreeMarksTheEntitiesWithoutAPicture(DemoWindow& d) {
  d.AnswerMessages([](std::string_view, const MessageStyle&) { return MessageAnswer::Yes; });
  d.Run(false, [&] {
    Wizard& w = d.W();
    const auto missing = Missing(w);
    std::size_t marked = 0;
    for (NodeHandle node = 1; node <= w.tree.NodeCount(); ++node) {
      if (w.tree.Find(node)->role != NodeRole::Entity) continue;
      const bool without =
          std::find(missing.begin(), missing.end(), EntityAt(w, node)) != missing.end();
      EXPECT_EQ(d.ShowsMarked(node), without) << w.tree.Text(node);
      marked += without ? 1 : 0;
    }
    EXPECT_EQ(marked, missing.size());
    // An alias shares its wrestler's mark; a root tells its count.
    EXPECT_TRUE(d.ShowsMarked(Node(d, {"Wrestlers", "Z", "Zo\xEB Marchetti", "Zo\xE9 Marchetti"})));
    EXPECT_EQ(d.NodeTip(Node(d, {"Titles"})), "7 of 9 without a picture");

    // The marks follow an attach and a removal at once.
    const NodeHandle cassidy = Node(d, {"Wrestlers", "C", "Cassidy Storm"});
    d.ClickNode({"Wrestlers", "C", "Cassidy Storm"});
    d.DoubleClickItem(id::kStrayList, "Cassidy_Storm.jpg");
    EXPECT_FALSE(d.ShowsMarked(cassidy));
    d.ClickItem(id::kImagesList, "cassidy_storm.jpg");
    d.PressDelete(0);
    EXPECT_TRUE(d.ShowsMarked(cassidy));
  });
}

void F4WalksWhatMissingListsAndLeftGoesUp(DemoWindow& d) {
  d.Run(false, [&] {
    Wizard& w = d.W();
    const auto missing = Missing(w);
    ASSERT_GT(missing.size(), 2u);
    std::vector<std::pair<RecordKind, std::size_t>> walked;
    for (std::size_t i = 0; i <= missing.size(); ++i) {
      d.Press(Key::F4);
      walked.push_back(EntityAt(w, w.c.itemsTree->Selection()));
      EXPECT_EQ(w.lastTreeItem, w.c.itemsTree->Selection());  // shown as a click shows it
    }
    EXPECT_EQ(walked.back(), missing.front());  // round again at the end
    walked.pop_back();
    EXPECT_EQ(walked, missing);
    d.Press(Key::ShiftF4);
    EXPECT_EQ(EntityAt(w, w.c.itemsTree->Selection()), missing.back());

    // Left on a leaf goes to its parent, and again to the parent's.
    d.ClickNode({"Wrestlers", "A", "Ace Harmon", "The Ace"});
    d.Press(Key::Left);
    EXPECT_EQ(w.c.itemsTree->Selection(), Node(d, {"Wrestlers", "A", "Ace Harmon"}));
    d.Press(Key::Left);  // an open branch closes first
    d.Press(Key::Left);
    EXPECT_EQ(w.c.recordText->Text(), "A (Group)");
  });
}

void TheFilterShowsOnlyThoseWithoutAPicture(DemoWindow& d) {
  d.Run(false, [&] {
    Wizard& w = d.W();
    const auto missing = Missing(w);
    const NodeHandle ace = Node(d, {"Wrestlers", "A", "Ace Harmon"});
    const NodeHandle firebricks = Node(d, {"Tag Teams", "T", "The Firebricks"});
    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    d.Press(Key::CtrlShiftF4);
    for (NodeHandle node = 1; node <= w.tree.NodeCount(); ++node) {
      if (w.tree.Find(node)->role != NodeRole::Entity) continue;
      const bool without =
          std::find(missing.begin(), missing.end(), EntityAt(w, node)) != missing.end();
      EXPECT_EQ(d.ShowsNode(node), without || node == ace) << w.tree.Text(node);
    }
    // The selection stays, with its record.
    EXPECT_EQ(w.c.itemsTree->Selection(), ace);
    EXPECT_EQ(w.c.recordText->Text(), "Ace Harmon (Wrestler)");
    EXPECT_FALSE(d.ShowsNode(firebricks));

    d.ChooseTreeMenu();
    EXPECT_TRUE(d.ShowsNode(firebricks));
    EXPECT_EQ(w.c.itemsTree->Selection(), ace);
    EXPECT_EQ(Items(*w.c.imagesList), (Names{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
  });
}

void MatchDialogAttachesWhatSuggestApplyDoes(DemoWindow& d) {
  // The same game through the CLI: suggest --apply, then written as a window writes it.
  const fs::path byCli = d.Folder() / "by-cli";
  ASSERT_TRUE(d.WriteDemo(byCli));
  ASSERT_TRUE(d.RunCli(byCli, "suggest --apply", 0));
  ASSERT_TRUE(d.RunCli(byCli, "rewrite-index", 0));
  RecordingMessageBox unexpected;
  RecordMessages(d, unexpected, MessageAnswer::No);
  d.Run(true, [&] {
    Wizard& w = d.W();
    d.ClickNode({"Wrestlers", "C", "Cassidy Storm"});
    const NodeHandle cassidy = w.c.itemsTree->Selection();
    const Names strays = Items(*w.c.strayList);
    const std::string index = SerializeImageIndex(w.db.imageIndex);

    // Cancel changes nothing.
    d.AnswerMatchDialog([](MatchDialogView& view) { EXPECT_EQ(view.Rows(), 17); }, false);
    d.Press(Key::CtrlM);
    EXPECT_EQ(SerializeImageIndex(w.db.imageIndex), index);
    EXPECT_EQ(Items(*w.c.strayList), strays);

    int checked = 0;
    d.AnswerMatchDialog(
        [&](MatchDialogView& view) {
          ASSERT_EQ(view.Rows(), 17);
          for (int row = 0; row < view.Rows(); ++row) checked += view.Checked(row) ? 1 : 0;
          EXPECT_EQ(view.Text(0, MatchColumn::Entity), "Cassidy Storm");
          EXPECT_EQ(view.Text(0, MatchColumn::Picture), "Cassidy_Storm.jpg");
          view.Toggle(0);
          EXPECT_FALSE(view.Checked(0));
          view.Toggle(0);
          EXPECT_TRUE(view.Checked(0));
        },
        true);
    d.ChooseStrayMenu();
    EXPECT_EQ(checked, 12);
    // The window follows: the record's pictures, the stray list and the marks.
    EXPECT_EQ(Items(*w.c.imagesList), Names{"cassidy_storm.jpg"});
    EXPECT_EQ(Items(*w.c.strayList).size(), strays.size() - 12);
    EXPECT_FALSE(d.ShowsMarked(cassidy));
  });
  EXPECT_THAT(unexpected.texts, IsEmpty());
  EXPECT_EQ(ReadBytes(d.Game() / "media" / "index.dat"), ReadBytes(byCli / "media" / "index.dat"));
}

// Every kind of change, then every step undone, redone and undone again: the index as the window
// opened it, then as the changes made it, and at Exit the bytes of a run without changes.
void EveryChangeIsUndoneAndRedoneExactly(DemoWindow& d) {
  const fs::path media = d.Game() / "media", outside = d.Folder() / "outside";
  const fs::path unchanged = d.Folder() / "unchanged";
  ASSERT_TRUE(d.WriteDemo(unchanged));
  ASSERT_TRUE(d.RunCli(unchanged, "rewrite-index", 0));
  WriteBytes(outside / "Ring Photo.JPG", ReadBytes(media / "nova.jpg"));
  WriteBytes(outside / "Belt.bmp", ReadBytes(media / "the_ace.bmp"));
  Names unexpected;
  d.AnswerMessages([&](std::string_view text, const MessageStyle&) {
    if (!text.starts_with("Do you really want to delete ")) unexpected.emplace_back(text);
    return MessageAnswer::Yes;
  });
  d.AnswerFileDialog([&](const OpenFileRequest&) {
    return std::optional<FileChoice>(FileChoice{outside, {"Belt.bmp"}});
  });
  d.AnswerMatchDialog([](MatchDialogView&) {}, true);
  d.Run(true, [&] {
    Wizard& w = d.W();
    const std::string opened = SerializeImageIndex(w.db.imageIndex);
    d.ClickNode({"Wrestlers", "C", "Cassidy Storm"});
    d.DoubleClickItem(id::kStrayList, "Cassidy_Storm.jpg");
    d.ClickButton(id::kAddImagesButton);
    d.Drop({outside / "Ring Photo.JPG"});
    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    d.ClickItem(id::kImagesList, "ace_harmon.jpg");
    d.PressDelete(0);
    d.Press(Key::CtrlM);
    const std::string changed = SerializeImageIndex(w.db.imageIndex);
    ASSERT_NE(changed, opened);
    const Key redo[] = {Key::CtrlY, Key::CtrlShiftZ};
    for (int round = 0; round < 3; ++round) {
      const bool undoing = round % 2 == 0;
      int steps = 0;
      while ((undoing ? w.undo.CanUndo() : w.undo.CanRedo()) && steps < 20) {
        d.Press(undoing ? Key::CtrlZ : redo[steps % 2]);
        ++steps;
      }
      EXPECT_EQ(steps, 5) << round;  // double-click, dialog, drop, removal, the match dialog
      EXPECT_EQ(SerializeImageIndex(w.db.imageIndex), undoing ? opened : changed) << round;
    }
    EXPECT_EQ(Items(*w.c.imagesList), (Names{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
  });
  EXPECT_THAT(unexpected, IsEmpty());
  EXPECT_EQ(ReadBytes(media / "index.dat"), ReadBytes(unchanged / "media" / "index.dat"));
  EXPECT_TRUE(fs::exists(media / "Ring Photo.JPG"));  // copied in: stays, stray
  EXPECT_TRUE(fs::exists(media / "Belt.bmp"));
}

// A crop placed with the keys (Escape first: nothing written), accepted, undone; an upright
// copy: each new picture takes the original's place in the entry, the original stays in media.
void ACropAndAnUprightCopyTakeTheOriginalsPlace(DemoWindow& d) {
  const fs::path media = d.Game() / "media";
  RecordingMessageBox unexpected;
  RecordMessages(d, unexpected, MessageAnswer::No);
  d.Run(false, [&] {
    Wizard& w = d.W();
    auto entry = [&](const char* key) {
      const IndexEntry& e = w.db.imageIndex.Entry(w.db.imageIndex.FindEntry(key));
      return Names(e.images.begin(), e.images.end());
    };
    const std::string original = ReadBytes(media / "Ace_Harmon_2.JPG");
    d.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    d.ClickItem(id::kImagesList, "ace_harmon_2.jpg");  // 300 x 400: too tall for 0.8
    d.Press(Key::CtrlK);
    ASSERT_EQ(d.CropFrame(), (PixelRect{0, 0, 300, 375}));  // at the top
    d.PressInCrop(CropKey::Down);
    const int step = d.CropFrame()->y;
    d.PressInCrop(CropKey::ShiftDown);
    EXPECT_GT(d.CropFrame()->y - step, step);  // Shift moves faster
    d.PressInCrop(CropKey::Escape);
    EXPECT_EQ(d.CropFrame(), std::nullopt);
    EXPECT_FALSE(fs::exists(media / "ace_harmon_2-crop.jpg"));

    d.Press(Key::CtrlK);
    d.PressInCrop(CropKey::Enter);
    EXPECT_EQ(d.CropFrame(), std::nullopt);
    EXPECT_EQ(entry("Ace Harmon"), (Names{"ace_harmon.jpg", "ace_harmon_2-crop.jpg"}));
    EXPECT_EQ(w.c.imagesList->ItemText(-1), "ace_harmon_2-crop.jpg");
    EXPECT_EQ(w.c.imageInfoText->Text(),
              "Image Width: \t300\r\nImage Height: \t375\r\nAspect Ratio: \t.8\r\n"
              "Aspect ratio is perfectly  ok.");
    EXPECT_EQ(ReadBytes(media / "Ace_Harmon_2.JPG"), original);
    EXPECT_GE(w.c.strayList->FindExact(-1, "ace_harmon_2.jpg"), 0);  // the original is stray
    EXPECT_EQ(w.undo.UndoLabel(), "crop ace_harmon_2.jpg");

    d.Press(Key::CtrlZ);  // the original back in its place; the crop stays in media, stray
    EXPECT_EQ(entry("Ace Harmon"), (Names{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
    EXPECT_GE(w.c.strayList->FindExact(-1, "ace_harmon_2-crop.jpg"), 0);

    d.ClickNode({"Wrestlers", "N", "Nova Sinclair"});
    EXPECT_EQ(PreviewMenu(w).front().text,
              "Stored turned (EXIF orientation 6): the game shows it turned");
    ASSERT_TRUE(MakeUprightCopy(w));
    EXPECT_EQ(w.c.imagesList->ItemText(-1), "nova-upright.jpg");
    EXPECT_EQ(ReadPictureHeader(SystemOs(), media / "nova-upright.jpg").orientation, 1);
  });
  EXPECT_THAT(unexpected.texts, IsEmpty());
}

}  // namespace

const std::vector<DemoScenario>& DemoScenarios() {
  static const std::vector<DemoScenario> scenarios = {
      {"ClickingEachKindOfRecordShowsIt", ClickingEachKindOfRecordShowsIt},
      {"StrayPicturesNamedAfterTheSelectedRecordStandOut",
       StrayPicturesNamedAfterTheSelectedRecordStandOut},
      {"AttachByDialogDoubleClickAndDropRemoveByDeleteExitWritesIndex",
       AttachByDialogDoubleClickAndDropRemoveByDeleteExitWritesIndex},
      {"LongNamesAndKeysCanBeReadWhole", LongNamesAndKeysCanBeReadWhole},
      {"TheFindFieldGoesToNamesContainingTheText", TheFindFieldGoesToNamesContainingTheText},
      {"TheTreeMarksTheEntitiesWithoutAPicture", TheTreeMarksTheEntitiesWithoutAPicture},
      {"F4WalksWhatMissingListsAndLeftGoesUp", F4WalksWhatMissingListsAndLeftGoesUp},
      {"TheFilterShowsOnlyThoseWithoutAPicture", TheFilterShowsOnlyThoseWithoutAPicture},
      {"MatchDialogAttachesWhatSuggestApplyDoes", MatchDialogAttachesWhatSuggestApplyDoes},
      {"EveryChangeIsUndoneAndRedoneExactly", EveryChangeIsUndoneAndRedoneExactly},
      {"ACropAndAnUprightCopyTakeTheOriginalsPlace", ACropAndAnUprightCopyTakeTheOriginalsPlace},
  };
  return scenarios;
}

}  // namespace qvm::test
