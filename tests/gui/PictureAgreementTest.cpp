// The window, its picture tips, `info` and `check` on the same files: one size, and one answer
// to whether the preview shows the picture (and, from check, why not).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QWidget>
#include <map>
#include <string>

#include "app/qt/PictureTips.h"
#include "app/qt/QtImaging.h"
#include "platform/Os.h"
#include "tests/unit/JpegWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

std::string Encoded(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkYellow);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return bytes.toStdString();
}

// Runs the command-line companion on the game; its standard output.
std::string Cli(const fs::path& game, const QStringList& args) {
  QProcess cli;
  cli.start(QVM_CLI, QStringList{"-C", QString::fromStdString(game.string())} + args);
  EXPECT_TRUE(cli.waitForFinished(10000)) << args.join(' ').toStdString();
  return cli.readAllStandardOutput().toStdString();
}

// Width and height from info's report ("Image Width: \t640\n...").
QSize InfoSize(const std::string& report) {
  auto number = [&](const std::string& label) {
    const std::size_t at = report.find(label + " \t");
    return at == std::string::npos ? -1 : std::stoi(report.substr(at + label.size() + 2));
  };
  return {number("Image Width:"), number("Image Height:")};
}

TEST(PictureAgreement, WindowTipsInfoAndCheckAgreeOnEveryFile) {
  test::GameFolder game;
  const fs::path media = game.path() / "media";
  const std::string jpeg = Encoded(40, 30, "JPEG");
  const std::string cutNote =
      "has a JPEG header that cannot be read (cut short, a size of 0, or a frame no decoder "
      "should be handed)";
  const std::string kindNote =
      "is a kind of JPEG the preview does not decode (lossless, hierarchical, or other than 8 "
      "bits per sample)";
  struct Case {
    const char* name;
    std::string bytes;
    QSize shown;        // 0 x 0 when not shown
    std::string check;  // check's reason when not shown
  } cases[] = {
      {"photo.jpg", jpeg, {40, 30}, ""},
      {"drawing.bmp", Encoded(30, 20, "BMP"), {30, 20}, ""},
      {"bitmap-named.jpg", Encoded(25, 35, "BMP"), {25, 35}, ""},
      {"png-named.jpg", Encoded(30, 20, "PNG"), {0, 0}, "is neither a JPEG nor a BMP picture"},
      {"lossless.jpg", test::JpegFile(0xC3, 64, 48), {0, 0}, kindNote},
      {"twelve-bit.jpg", test::JpegFile(0xC1, 64, 48, "\x11", 12), {0, 0}, kindNote},
      {"wide.jpg",
       test::JpegFile(0xC0, 40000, 10),
       {0, 0},
       "declares 40000 x 10 pixels, more than the preview decodes"},
      {"square.bmp",
       Encoded(8, 8, "BMP").replace(18, 8, std::string("\x20\x4E\0\0\x20\x4E\0\0", 8)),
       {0, 0},
       "declares 20000 x 20000 pixels, more than the preview decodes"},
      {"cut-header.jpg", jpeg.substr(0, 30), {0, 0}, cutNote},
      {"cut-header.bmp",
       Encoded(8, 8, "BMP").substr(0, 30),
       {0, 0},
       "has a BMP header that is cut short or unknown"},
      {"empty.jpg", "", {0, 0}, "is empty (0 bytes)"},
      {"endless.jpg",
       test::kJpegStart,
       {0, 0},
       "has a JPEG header that does not end (more than 1024 segments or 64 KB of stray bytes "
       "before its picture)"},
  };
  for (const Case& c : cases) test::WriteBytes(media / c.name, c.bytes);
  fs::resize_file(media / "endless.jpg", std::uint64_t{2} << 30);  // sparse

  std::map<std::string, std::string> findings;  // name: reason
  std::string report = Cli(game.path(), {"check"});
  for (std::size_t at = 0, end; at < report.size(); at = end + 1) {
    end = report.find('\n', at);
    const std::string line = report.substr(at, end - at);
    const std::string kind = "bad-picture: \"";
    if (line.rfind(kind, 0) != 0) continue;
    const std::size_t quote = line.find('"', kind.size());
    findings[line.substr(kind.size(), quote - kind.size())] = line.substr(quote + 2);
  }

  QWidget window;
  QtImagingLibrary imaging(&window, SystemOs());
  imaging.OpenGfx(0, 0, 100, 100, 2048);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = media / c.name;
    EXPECT_EQ(QSize(imaging.ImageParam(file, 1), imaging.ImageParam(file, 2)), c.shown);
    EXPECT_EQ(imaging.StretchImage(file, 10, 10), c.shown.isEmpty() ? 0 : 1);
    QSize tipSize;
    const QImage thumbnail = PictureTips::DecodeThumbnail(SystemOs(), file, 128, &tipSize);
    EXPECT_EQ(tipSize, c.shown);
    EXPECT_EQ(thumbnail.isNull(), c.shown.isEmpty());
    EXPECT_EQ(InfoSize(Cli(game.path(), {"info", c.name})), c.shown);
    EXPECT_EQ(findings[c.name], c.check);
  }
  EXPECT_TRUE(imaging.WaitIdle());
}

}  // namespace
}  // namespace qvm
