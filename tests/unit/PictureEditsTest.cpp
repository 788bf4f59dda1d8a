// Crops, upright copies and JPEG copies as files and index changes: the frame, the names, the
// EXIF orientation, new files never written over anything, the entry's order kept. The pixels
// come from a codec that hands back fixed bytes (the real one is tested in tests/codec/).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "images/ExifOrientation.h"
#include "images/PictureEdits.h"
#include "tests/unit/JpegWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::JpegFile;
using test::JpegSegment;
using test::kJpegStart;

TEST(PictureEditsTest, TheFrameIsTheLargestOfTheRatioCentredAcrossAndAtTheTop) {
  struct Case {
    int width, height;
    double ratio;
    PixelRect frame;
  } cases[] = {
      {640, 480, 0.8, {128, 0, 384, 480}},  // too wide: full height, centred
      {300, 400, 0.8, {0, 0, 300, 375}},    // too tall: full width, at the top
      {240, 300, 0.8, {0, 0, 240, 300}},    // already right
      {480, 300, 1.6, {0, 0, 480, 300}},
      {1000, 300, 2.4, {140, 0, 720, 300}},  // a stable of three
      {7, 5, 0.8, {1, 0, 4, 5}},            // tiny: the ratio still within its tolerance
      {1, 1, 1.6, {}},                      // no frame of that ratio fits
      {100, 100, 0, {}},                    // no recommendation
  };
  for (const Case& c : cases) {
    const PixelRect frame = RatioFrame(c.width, c.height, c.ratio);
    EXPECT_EQ(frame, c.frame) << c.width << "x" << c.height;
    if (frame.width > 0) {
      EXPECT_LT(std::abs(double(frame.width) / frame.height - c.ratio), 0.01) << c.width;
    }
  }
  EXPECT_EQ(OnBlockGrid({37, 20, 100, 125}, 16, 8), (PixelRect{32, 16, 100, 125}));
}

TEST(PictureEditsTest, NewNamesKeepTheOriginalsBaseAndExtension) {
  EXPECT_EQ(EditedName("ace.jpg", "crop", 1), "ace-crop.jpg");
  EXPECT_EQ(EditedName("ace.jpg", "crop", 3), "ace-crop-3.jpg");
  EXPECT_EQ(EditedName("the.ace.bmp", "crop", 1), "the.ace-crop.bmp");
  EXPECT_EQ(EditedName("nova.jpeg", "upright", 2, ".jpg"), "nova-upright-2.jpg");
  EXPECT_EQ(EditedName("Pack Art.png", "", 1, ".jpg"), "Pack Art.jpg");
  EXPECT_EQ(EditedName(".hidden", "crop", 1), ".hidden-crop");
  EXPECT_EQ(EditedName("noext", "", 2, ".jpg"), "noext-2.jpg");
}

// An APP1 segment with "Exif" and a TIFF header of `order` ("II" or "MM") whose first
// directory holds these fields (tag, type, count, value).
std::string Exif(const std::string& order, std::vector<std::array<unsigned, 4>> fields,
                 int declaredCount = -1) {
  const bool big = order == "MM";
  auto u16 = [big](unsigned v) {
    return big ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)};
  };
  auto u32 = [&](unsigned v) { return big ? u16(v >> 16) + u16(v) : u16(v) + u16(v >> 16); };
  std::string body = std::string("Exif\0\0", 6) + order + u16(42) + u32(8) +
                     u16(declaredCount < 0 ? unsigned(fields.size()) : unsigned(declaredCount));
  for (auto [tag, type, count, value] : fields)
    body += u16(tag) + u16(type) + u32(count) + u16(value) + u16(0);
  return JpegSegment(0xE1, body + u32(0));
}

TEST(PictureEditsTest, TheHeaderReaderFindsTheOrientationAndNothingInDamagedBlocks) {
  const std::string picture = JpegFile(0xC0, 64, 48, "\x21\x11\x11").substr(2);
  struct Case {
    std::string app1;
    int orientation;
  } cases[] = {
      {Exif("II", {{0x0112, 3, 1, 6}}), 6},
      {Exif("MM", {{0x0100, 4, 1, 64}, {0x0112, 3, 1, 3}}), 3},
      {Exif("MM", {{0x0112, 3, 1, 2}}) + Exif("MM", {{0x0112, 3, 1, 8}}), 2},  // the first
      {Exif("II", {{0x0112, 3, 1, 1}}), 1},
      {Exif("II", {{0x0112, 3, 1, 9}}), 1},   // out of range
      {Exif("II", {{0x0112, 4, 1, 6}}), 1},   // not a SHORT
      {Exif("II", {{0x0110, 3, 1, 6}}), 1},   // no orientation
      {Exif("II", {{0x0112, 3, 1, 6}}, 40), 1},  // more fields declared than the block holds
      {Exif("XX", {{0x0112, 3, 1, 6}}), 1},   // no byte order
      {JpegSegment(0xE1, "http://ns.example/"), 1},  // another APP1
      {JpegSegment(0xE1, std::string("Exif\0\0II", 8)), 1},  // cut short
  };
  for (const Case& c : cases) {
    const std::string file = kJpegStart + c.app1 + picture;
    const PictureHeader header = ReadPictureHeader(std::span(
        reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    EXPECT_TRUE(header.Shown());
    EXPECT_EQ(header.orientation, c.orientation) << testing::PrintToString(c.app1);
    EXPECT_EQ(header.jpegBlockWidth, 16);
    EXPECT_EQ(header.jpegBlockHeight, 8);
  }
  std::string turned = kJpegStart + Exif("MM", {{0x0112, 3, 1, 8}}) + picture;
  std::vector<std::uint8_t> bytes(turned.begin(), turned.end());
  ASSERT_TRUE(SetJpegOrientation(bytes, 1));
  EXPECT_EQ(ReadPictureHeader(bytes).orientation, 1);
  EXPECT_EQ(TurnedPictureText(8), "is stored turned (EXIF orientation 8): the game shows it turned");
  EXPECT_EQ(TurnedPictureNote(5), "Stored mirrored (EXIF orientation 5): the game shows it mirrored");
}

TEST(PictureEditsTest, OtherFormatsAreRecognisedToBeConverted) {
  struct Case {
    std::string bytes;
    PictureFormat format;
  } cases[] = {
      {"\x89PNG\r\n\x1A\n....", PictureFormat::Png},
      {"GIF89a....", PictureFormat::Gif},
      {std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), PictureFormat::WebP},
      {"RIFF.", PictureFormat::None},  // cut short
      {std::string("II*\0....", 8), PictureFormat::Tiff},
      {std::string("MM\0*....", 8), PictureFormat::Tiff},
      {std::string("RIFF\x10\0\0\0WAVEfmt ", 16), PictureFormat::None},
      {"plain text", PictureFormat::None},
  };
  for (const Case& c : cases) {
    const PictureHeader header = ReadPictureHeader(
        std::span(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()));
    EXPECT_EQ(header.format, c.format) << c.bytes;
    EXPECT_EQ(header.Convertible(), c.format != PictureFormat::None);
    EXPECT_EQ(header.problem, PictureProblem::NotAPicture);
  }
  for (auto [name, taken] : {std::pair{"a.JPG", true}, {"b.bmp", true}, {"c.Png", true},
                             {"d.webp", true}, {"e.tiff", true}, {"f.txt", false}})
    EXPECT_EQ(IsPictureFileName(name), taken) << name;
}

// Hands back `bytes` for every request, and what it was asked.
class FixedCodec : public PictureCodec {
 public:
  CodecResult CropJpeg(std::span<const std::uint8_t>, const PixelRect& box) override {
    crops.push_back(box);
    return Made();
  }
  CodecResult TurnJpeg(std::span<const std::uint8_t>, int) override { return Made(); }
  CodecResult ConvertToJpeg(std::span<const std::uint8_t>) override { return Made(); }
  CodecResult Made() {
    CodecResult r;
    r.bytes.assign(bytes.begin(), bytes.end());
    r.error = bytes.empty() ? "it failed" : "";
    return r;
  }
  std::string bytes = "new picture";
  std::vector<PixelRect> crops;
};

class PictureFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(game / "media");
    test::WriteBytes(game / "qvm.vrs", "x");
    test::WriteBytes(game / "media" / "Ace.JPG", JpegFile(0xC0, 64, 48, "\x22\x11\x11"));
    paths = ResolveGamePaths(SystemOs(), game);
  }
  std::vector<std::string> Media() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(game / "media")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  test::TempFolder folder;
  fs::path game = folder / "game";
  GamePaths paths;
  FixedCodec codec;
};

TEST_F(PictureFilesTest, ACropTakesTheFirstFreeNameAndNeverWritesOverAnything) {
  test::WriteBytes(game / "media" / "ACE-CROP.jpg", "someone's");  // taken in another case
  // A dangling link where a link can be made (not under Wine), else a file.
  std::error_code noLinks;
  fs::create_symlink(game / "elsewhere.jpg", game / "media" / "ace-crop-2.jpg", noLinks);
  if (noLinks) test::WriteBytes(game / "media" / "ace-crop-2.jpg", "someone's");
  const PictureEdit edit = CropMediaPicture(SystemOs(), paths, codec, "ace.jpg", {5, 3, 40, 30});
  ASSERT_TRUE(edit.Ok()) << edit.problem;
  EXPECT_EQ(edit.name, "ace-crop-3.jpg");
  EXPECT_EQ(test::ReadBytes(game / "media" / "ace-crop-3.jpg"), "new picture");
  EXPECT_EQ(test::ReadBytes(game / "media" / "ACE-CROP.jpg"), "someone's");
  EXPECT_FALSE(fs::exists(game / "elsewhere.jpg"));
  EXPECT_EQ(codec.crops, std::vector<PixelRect>{(PixelRect{0, 0, 40, 30})});  // on the grid
}

TEST_F(PictureFilesTest, NothingIsLeftBehindWhenAnEditCannotBeMade) {
  const std::vector<std::string> before = Media();
  codec.bytes.clear();
  EXPECT_NE(CropMediaPicture(SystemOs(), paths, codec, "ace.jpg", {0, 0, 40, 30}).problem, "");
  codec.bytes = "x";
  EXPECT_NE(CropMediaPicture(SystemOs(), paths, codec, "ace.jpg", {40, 0, 40, 30}).problem, "");
  EXPECT_NE(CropMediaPicture(SystemOs(), paths, codec, "missing.jpg", {0, 0, 4, 3}).problem, "");
  // Not turned: no upright copy.
  EXPECT_THAT(UprightMediaPicture(SystemOs(), paths, codec, "ace.jpg").problem,
              testing::HasSubstr("upright already"));
  EXPECT_EQ(Media(), before);
}

TEST_F(PictureFilesTest, AConvertedCopyIsNamedAfterItsSourceWhichStaysWhereItWas) {
  test::WriteBytes(folder / "Pack Art.png", "\x89PNG\r\n\x1A\n....");
  test::WriteBytes(game / "media" / "pack art.jpg", "taken");
  const PictureEdit copy = ConvertPictureFile(SystemOs(), paths, codec, folder / "Pack Art.png");
  ASSERT_TRUE(copy.Ok()) << copy.problem;
  EXPECT_EQ(copy.name, "Pack Art-2.jpg");
  EXPECT_TRUE(fs::exists(folder / "Pack Art.png"));
  const fs::path here = game.parent_path();
  EXPECT_EQ(FilesToConvert(SystemOs(), std::vector<PictureFile>{{here, "Pack Art.png"},
                                                                {game / "media", "Ace.JPG"},
                                                                {here, "none.png"}}),
            (std::vector<bool>{true, false, false}));
}

TEST(PictureEditsTest, ReplacingANameKeepsItsPlaceInTheEntry) {
  NewPool();
  ImageIndex index;
  const int entry = index.AppendEntry("Ace");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) index.AddImage(entry, name);
  EXPECT_EQ(ReplaceImageByName(index, "ACE", "b.jpg", "b-crop.jpg"), ReplaceOutcome::Replaced);
  EXPECT_THAT(index.Entry(entry).images, testing::ElementsAre("a.jpg", "b-crop.jpg", "c.jpg"));
  EXPECT_EQ(ReplaceImageByName(index, "Ace", "c.jpg", "A.JPG"), ReplaceOutcome::AlreadyListed);
  EXPECT_EQ(ReplaceImageByName(index, "Ace", "x.jpg", "y.jpg"), ReplaceOutcome::NotListed);
  EXPECT_EQ(ReplaceImageByName(index, "Bob", "a.jpg", "y.jpg"), ReplaceOutcome::NoEntry);
}

}  // namespace
}  // namespace qvm
