// qvm-preview-bench [RUNS] [--pictures FOLDER] [--tsv]: preview latency (selection to picture
// drawn) of the four large test pictures, the longest time the event loop was blocked
// meanwhile, and Qt's own scaled decode of the same file as the floor. Medians of RUNS runs
// (default 7). Runs offscreen. With --pictures the pictures are those that qvm-full-game
// writes into FOLDER (its media folder); otherwise they are written into a temporary folder.
// --tsv prints the rows for scripts/run-bench (see Harness.h) instead of a table.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/qt/QtImaging.h"
#include "bench/Harness.h"
#include "codec/PictureCodecs.h"
#include "images/PictureEdits.h"
#include "platform/Os.h"

namespace fs = std::filesystem;
using qvm::QtImagingLibrary;

namespace {

constexpr int kAreaW = 300, kAreaH = 375;  // the preview area of the window, about

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// Something like a photograph: gradients and detail, so that the encoders have work to do.
QImage Photo(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x)
      line[x] = qRgb((x * 255 / width + (x * y) % 17) & 0xFF, y * 255 / height, (x ^ y) & 0xFF);
  }
  return image;
}

void Save(const QImage& image, const fs::path& file, const char* format, bool progressive) {
  QImageWriter writer(QString::fromStdString(file.string()), format);
  writer.setQuality(85);
  writer.setProgressiveScanWrite(progressive);
  if (!writer.write(image)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    std::exit(1);
  }
}

// The size the preview shows a width x height picture at, as the preview computes it.
QSize Fit(int width, int height) {
  if (height < width) {
    int h = std::min(kAreaH, static_cast<int>(static_cast<double>(height) / width * kAreaW + 0.5));
    return {static_cast<int>(static_cast<double>(width) * h / height + 0.5), h};
  }
  int w = std::min(kAreaW, static_cast<int>(static_cast<double>(width) / height * kAreaH + 0.5));
  return {w, static_cast<int>(static_cast<double>(height) * w / width + 0.5)};
}

struct Figures {
  double latency = 0, header = 0, blocked = 0, floor = 0;
};

Figures Measure(const fs::path& file, int runs) {
  std::vector<double> latency, header, blocked, floor;
  for (int r = 0; r < runs; ++r) {
    // Qt's own scaled decode: the floor.
    {
      // Qt's own default limit, not the preview's, so that Qt reads the large BMP at all.
      QImageReader::setAllocationLimit(0);
      QElapsedTimer t;
      t.start();
      QImageReader reader(QString::fromStdString(file.string()));
      QSize size = reader.size();
      reader.setScaledSize(Fit(size.width(), size.height()));
      QImage image = reader.read();
      floor.push_back(Ms(t));
      if (image.isNull()) std::fprintf(stderr, "Qt cannot read %s\n", file.c_str());
    }
    // The preview as the window runs it, with a fresh library (no cached header).
    QWidget window;
    QtImagingLibrary imaging(&window, qvm::SystemOs());
    imaging.OpenGfx(0, 0, kAreaW, kAreaH, 2048);
    // A timer that ticks whenever the event loop is free; the longest gap between ticks, or
    // the longest stretch inside our calls, is how long the window stood still.
    double longest = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    // Every millisecond: a busier ticker would take the second core from the decode.
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longest = std::max(longest, Ms(sinceTick));
      sinceTick.restart();
    });
    bool drawn = false;
    QObject::connect(&imaging, &QtImagingLibrary::pictureDrawn, [&] { drawn = true; });

    QElapsedTimer t;
    t.start();
    imaging.BrushColor(20 | (20 << 8) | (80 << 16));
    imaging.GfxCLS();
    int width = imaging.ImageParam(file, 1), height = imaging.ImageParam(file, 2);
    header.push_back(Ms(t));
    QSize shown = Fit(width, height);
    imaging.StretchImage(file, imaging.GfxConvert(1, shown.width()),
                         imaging.GfxConvert(2, shown.height()));
    longest = Ms(t);  // the calls themselves run inside one event
    sinceTick.start();
    ticker.start();
    QElapsedTimer guard;
    guard.start();
    while (!drawn && guard.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    latency.push_back(Ms(t));
    ticker.stop();
    blocked.push_back(std::max(longest, Ms(sinceTick)));
    if (!drawn) std::fprintf(stderr, "%s was never drawn\n", file.c_str());
  }
  return {Median(latency), Median(header), *std::max_element(blocked.begin(), blocked.end()),
          Median(floor)};
}

// A crop of `file` (a picture of `folder`) to a wrestler's 0.8, as the window makes it: read,
// cropped on the block grid, written as a new file (removed again); beside it the preview's
// own decode of the same picture, in turns.
qvm::bench::Pair MeasureCrop(const fs::path& folder, const char* file, int runs) {
  qvm::Os& os = qvm::SystemOs();
  qvm::GamePaths paths;
  paths.game = folder.parent_path();
  paths.media = folder;
  auto codec = qvm::MakePictureCodec();
  const qvm::PictureHeader header = qvm::ReadPictureHeader(os, folder / file);
  const QSize shown = Fit(header.Width(), header.Height());
  const qvm::PixelRect frame = qvm::RatioFrame(header.Width(), header.Height(), 0.8);
  std::string made;
  const qvm::bench::Pair pair = qvm::bench::MedianPairMs(
      runs,
      [&] {
        if (qvm::DecodePicture(os, folder / file, header, shown).isNull())
          std::fprintf(stderr, "the preview cannot decode %s\n", file);
      },
      [&] {
        const qvm::PictureEdit edit = qvm::CropMediaPicture(os, paths, *codec, file, frame);
        if (!edit.Ok()) std::fprintf(stderr, "%s\n", edit.problem.c_str());
        made = edit.name;
        if (!made.empty()) fs::remove(folder / made);
      });
  return pair;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int runs = 7;
  bool tsv = false;
  fs::path given;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--tsv") {
      tsv = true;
    } else if (arg == "--pictures" && i + 1 < argc) {
      given = argv[++i];
    } else {
      runs = std::max(1, std::atoi(argv[i]));
    }
  }
  const bool temporary = given.empty();
  fs::path folder = temporary ? fs::temp_directory_path() / "qvm-preview-bench" : given;
  fs::create_directories(folder);

  struct Picture {
    const char* name;
    const char* file;
    int width, height;
    const char* format;
    bool progressive;
  } pictures[] = {
      {"6000 x 4000 baseline JPEG", "big-baseline.jpg", 6000, 4000, "jpeg", false},
      {"6000 x 4000 progressive JPEG", "big-progressive.jpg", 6000, 4000, "jpeg", true},
      {"1200 x 1500 JPEG", "portrait-1200x1500.jpg", 1200, 1500, "jpeg", false},
      {"6000 x 4000 24-bit BMP", "big-24bit.bmp", 6000, 4000, "bmp", false},
  };
  if (temporary) std::fprintf(stderr, "Writing the test pictures in %s ...\n", folder.c_str());
  for (const Picture& p : pictures)
    if (!fs::exists(folder / p.file))
      Save(Photo(p.width, p.height), folder / p.file, p.format, p.progressive);

  if (tsv) {
    qvm::bench::Table table;
    double longest = 0;
    for (const Picture& p : pictures) {
      Figures f = Measure(folder / p.file, runs);
      longest = std::max(longest, f.blocked);
      qvm::bench::Row row{std::string("preview of the ") + p.name,
                          f.latency,
                          "ms",
                          "Qt's scaled decode",
                          f.floor,
                          "",
                          std::nullopt};
      if (std::string(p.file) == "big-baseline.jpg") {
        row.goal = "<= 1.2x Qt's scaled decode";
        row.met = f.latency <= 1.2 * f.floor;
      } else if (std::string(p.file) == "big-24bit.bmp") {
        row.goal = "<= 10 ms";
        row.met = f.latency <= 10;
      }
      table.Add(row);
    }
    table.Add({"longest event-loop block during a preview", longest, "ms", "", 0, "<= 50 ms",
               longest <= 50});
    const qvm::bench::Pair crop = MeasureCrop(folder, "big-baseline.jpg", runs);
    table.Add({"crop of the 6000 x 4000 JPEG to 0.8 (new file written)", crop.value, "ms",
               "the preview's decode of it", crop.floor, "<= 3x the preview's decode",
               crop.value <= 3 * crop.floor});
    std::fputs(table.Tsv().c_str(), stdout);
    if (temporary && !qEnvironmentVariableIsSet("QVM_BENCH_KEEP")) fs::remove_all(folder);
    return 0;
  }

  std::printf(
      "\n| picture | drawn after (median) | Qt's scaled decode (floor) | ratio | "
      "header sizes | longest event-loop block (max) |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const Picture& p : pictures) {
    Figures f = Measure(folder / p.file, runs);
    std::printf("| %s | %.1f ms | %.1f ms | %.2f | %.2f ms | %.1f ms |\n", p.name, f.latency,
                f.floor, f.floor > 0 ? f.latency / f.floor : 0, f.header, f.blocked);
    std::fflush(stdout);
  }
  std::printf(
      "\n%d runs each; goals: JPEG drawn within 1.2 x the floor, the BMP within 10 ms, "
      "no block over 50 ms.\n",
      runs);
  if (temporary && !qEnvironmentVariableIsSet("QVM_BENCH_KEEP")) fs::remove_all(folder);
  return 0;
}
