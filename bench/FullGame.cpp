// qvm-full-game FOLDER [--pictures N]: writes a game folder with every table at its capacity,
// in the game's own file formats, for the benchmarks.
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/GameWriter.h"

namespace fs = std::filesystem;
namespace gamefiles = qvm::gamefiles;

namespace {

constexpr int kWrestlers = 3000, kAliases = 20, kTeams = 1000, kStables = 1000, kMembers = 50;
constexpr int kManagers = 3000, kTitles = 3000, kCircuits = 50, kEntries = 4000, kPerEntry = 100;
constexpr int kLargePictures = 4;  // counted in the pictures of media

using gamefiles::Lines;
using gamefiles::WriteFile;

// A record file and its offset file, named .idx whatever the record file's letter case.
void WritePair(const fs::path& dat, const std::vector<std::string>& records) {
  fs::path idx = dat;
  idx.replace_extension(".idx");
  gamefiles::WritePair(dat, idx, gamefiles::MakePair(records));
}

const char* const kFirst[] = {"Ace",    "Blaze",  "Crusher", "Duke",  "Eagle", "Fury",  "Ghost",
                              "Hammer", "Iron",   "Jet",     "King",  "Lynx",  "Mad",   "Nitro",
                              "Omega",  "Psycho", "Quake",   "Rage",  "Storm", "Titan", "\xC9lan",
                              "Vortex", "Wolf",   "Xeno",    "Yukon", "Zeus"};
const char* const kSuffix[] = {"",         " Jr.",   " II",   " the Great", " X",
                               " Supreme", " Kid",   " Sr.",  " III",       " Prime",
                               " Max",     " Ultra", " Mega", " Neo",       " Zero",
                               " One",     " Red",   " Blue", " Gold",      " Black"};

std::string WrestlerName(int k) {  // k from 1
  return std::string(kFirst[(k * 7) % 26]) + " " + kFirst[(k / 26) % 26] + " " + std::to_string(k);
}

std::string Stats(int seed) {
  std::string s;
  for (int i = 0; i < 12; ++i) s += std::to_string((seed * 31 + i * 17) % 100) + "\r\n";
  return s;
}

std::string ManagerName(int k) {  // k from 1
  return "Manager " + std::string(kFirst[k % 26]) + " " + std::to_string(k);
}

std::string TitleName(int circuit, int t) {  // both from 1
  return "Title " + std::string(kFirst[t % 26]) + " " + std::to_string(circuit) + "-" +
         std::to_string(t);
}

// A name as a picture pack spells it: lower case, "_" for a space, no accents.
std::string PackName(const std::string& name) {
  std::string out;
  for (char c : name) {
    out += c == ' '      ? '_'
           : c == '\xC9' ? 'e'
                         : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

// Pictures from `named` on are stray; every other stray one is named after a manager or a
// title without a picture, as in a picture pack, the titles with a variant marker.
std::string PictureName(int i, int named, bool bmp) {
  const char* ext = bmp ? ".bmp" : ".jpg";
  const int s = i - named;
  if (s < 0 || s % 2 == 1) {
    char name[32];
    std::snprintf(name, sizeof name, "Pic%05d%s", i, ext);
    return name;
  }
  const int k = s / 2;
  if (k % 2 == 0) return PackName(ManagerName(k / 2 % (kManagers - 1) + 1)) + ext;
  const int perCircuit = kTitles / kCircuits;
  return PackName(TitleName(k / 2 / perCircuit % kCircuits + 1, k / 2 % perCircuit + 1)) + "_2" +
         ext;
}

void WritePictures(const fs::path& media, int count, int named) {
  // Most pictures are tiny; one encoded JPEG copied under every name.
  QImage tiny(8, 10, QImage::Format_RGB32);
  tiny.fill(QColor(120, 40, 40));
  fs::path tinyJpg = media / "tiny-jpg.tmp", tinyBmp = media / "tiny-bmp.tmp";
  tiny.save(QString::fromStdString(tinyJpg.string()), "JPG");
  tiny.save(QString::fromStdString(tinyBmp.string()), "BMP");
  for (int i = 0; i < count - kLargePictures; ++i) {
    bool bmp = i % 10 == 9;
    fs::copy_file(bmp ? tinyBmp : tinyJpg, media / PictureName(i, named, bmp),
                  fs::copy_options::overwrite_existing);
  }
  fs::remove(tinyJpg);
  fs::remove(tinyBmp);
  // Something like a photograph: gradients and fine detail, so that the decoders have as much
  // work as with a real one.
  auto picture = [](int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < w; ++x)
        line[x] = qRgb((x * 255 / w + (x * y) % 17) & 0xFF, y * 255 / h, (x ^ y) & 0xFF);
    }
    return img;
  };
  QImage big = picture(6000, 4000);
  auto save = [&](const QImage& img, const fs::path& path, const char* format, bool progressive) {
    QImageWriter writer(QString::fromStdString(path.string()), format);
    writer.setQuality(85);
    writer.setProgressiveScanWrite(progressive);
    writer.write(img);
  };
  save(big, media / "big-baseline.jpg", "jpg", false);
  save(big, media / "big-progressive.jpg", "jpg", true);
  save(picture(1200, 1500), media / "portrait-1200x1500.jpg", "jpg", false);
  save(big.convertToFormat(QImage::Format_RGB888), media / "big-24bit.bmp", "bmp", false);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qvm-full-game FOLDER [--pictures N]\n");
    return 2;
  }
  fs::path root = argv[1];
  int pictures = 20000;
  if (argc == 4 && std::string(argv[2]) == "--pictures") pictures = std::atoi(argv[3]);
  WriteFile(root / "qvm.vrs", "");

  std::vector<std::string> lgs;
  for (int c = 1; c <= kCircuits; ++c) {
    lgs.insert(lgs.end(), {"Circuit " + std::to_string(c), "CIRC" + std::to_string(c), "x"});
  }
  WriteFile(root / "card.lgs", Lines(lgs));

  std::vector<std::string> recs;
  for (int k = 1; k <= kWrestlers; ++k) recs.push_back(WrestlerName(k) + "\r\n" + Stats(k));
  WritePair(root / "DATA" / "WRESTLRS.DAT", recs);

  recs.clear();
  for (int k = 1; k <= kManagers; ++k) recs.push_back(ManagerName(k) + "\r\n" + Stats(k));
  WritePair(root / "DATA" / "MANAGERS.DAT", recs);

  // 500 teams in the main file, 10 new and 10 repeated ones (dropped) per circuit: 1000 in all.
  auto team = [](int t) {
    std::string a = WrestlerName(t), b = WrestlerName(t + 1);
    std::string name =
        t % 3 == 0 ? "" : "Team " + std::string(kFirst[t % 26]) + " " + std::to_string(t);
    return a + "\r\n" + b + "\r\n" + name + "\r\n" + Stats(t);
  };
  recs.clear();
  for (int t = 1; t <= 500; ++t) recs.push_back(team(t));
  WritePair(root / "DATA" / "TEAMS.DAT", recs);

  // 500 stables of 40 members in the main file; every circuit adds 10 new ones of 50 members
  // and repeats 10 known ones with 10 new members to merge: 1000 stables of 50 members.
  auto stable = [](int s, int count, int firstMember) {
    std::string r = "Stable " + std::string(kFirst[s % 26]) + " " + std::to_string(s) + "\r\n" +
                    std::to_string(count) + "\r\n";
    for (int m = 0; m < count; ++m)
      r += std::to_string((firstMember + m * 13) % kWrestlers + 1) + (m % 10 == 9 ? "\r\n" : ",");
    return r + "\r\n" + Stats(s);
  };
  recs.clear();
  for (int s = 1; s <= 500; ++s) recs.push_back(stable(s, 40, s));
  WritePair(root / "DATA" / "STABLES.DAT", recs);

  for (int c = 1; c <= kCircuits; ++c) {
    fs::path dir = root / ("CIRC" + std::to_string(c));
    // Wrestler k is known in circuit c under its name with one of 20 suffixes.
    recs.clear();
    for (int k = 1; k <= kWrestlers; ++k) {
      std::array<int, gamefiles::kCircuitNumbers> numbers;
      for (int l = 0; l < gamefiles::kCircuitNumbers; ++l) numbers[l] = (k + l) % 90;
      recs.push_back(
          gamefiles::CircuitRecord(WrestlerName(k) + kSuffix[(c + k) % kAliases], numbers));
    }
    WriteFile(dir / "circxdb.dat", gamefiles::Counted(recs));

    recs.clear();
    for (int t = 0; t < 10; ++t) recs.push_back(team(500 + (c - 1) * 10 + t + 1));
    for (int t = 0; t < 10; ++t) recs.push_back(team((c - 1) * 10 + t + 1));
    WritePair(dir / "teams.dat", recs);

    recs.clear();
    for (int s = 0; s < 10; ++s)
      recs.push_back(stable(500 + (c - 1) * 10 + s + 1, kMembers, c * 7 + s));
    // Stable i of the main file gets its members 41 to 50 here, so every merge fills it.
    for (int s = 0; s < 10; ++s) {
      int i = (c - 1) * 10 + s + 1;
      recs.push_back(stable(i, 10, i + 40 * 13));
    }
    WritePair(dir / "stables.dat", recs);

    recs.clear();
    for (int t = 1; t <= kTitles / kCircuits; ++t) {
      recs.push_back(gamefiles::TitleRecord("x", TitleName(c, t), t));
    }
    WriteFile(dir / "card.ttl", gamefiles::Counted(recs));
  }

  // 4000 entries of 100 names; 90% of the pictures are named somewhere, the rest are stray.
  std::string index;
  int named = pictures * 9 / 10;
  std::vector<std::string> names;
  for (int e = 0; e < kEntries; ++e) {
    int k = e % kWrestlers + 1;
    names.clear();
    for (int i = 0; i < kPerEntry; ++i) {
      int n = named ? (e * 37 + i * 101) % named : 0;
      char name[32];
      std::snprintf(name, sizeof name, "pic%05d.%s", n, n % 10 == 9 ? "bmp" : "jpg");
      names.emplace_back(name);
    }
    index += gamefiles::IndexLines(
        e < kWrestlers ? WrestlerName(k)
                       : "Manager " + std::string(kFirst[e % 26]) + " " + std::to_string(e),
        names);
  }
  WriteFile(root / "media" / "index.dat", index);
  WritePictures(root / "media", pictures, named);
  return 0;
}
