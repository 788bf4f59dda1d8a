// qvm-demo-game FOLDER: writes the demo game folder that `make demo` opens.
//
// A small but lifelike game with invented names, in the game's own file formats (Windows-1252,
// CR LF, .dat/.idx pairs): 40 wrestlers in 3 circuits, circuit aliases (one differing from
// its wrestler's name only in letter case), named and nameless tag teams, stables (one merged
// from a circuit, one without members), managers, titles per circuit, and 36 pictures in
// media, some attached in media/index.dat, some stray; a few strays are named as in a picture
// pack (variant markers, accents left out, a nameless team, a stable, one name that two titles
// share). Folder and file names are spelled in mixed letter case on disk, as in a game folder
// copied from Windows. One attached JPEG is stored turned, as phones store them (nova.jpg,
// EXIF orientation 6), and a PNG with a transparent corner waits to be attached as a JPEG copy
// (tess_marlowe.png).
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QTransform>
#include <QtCore/QBuffer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "tests/support/GameWriter.h"

namespace fs = std::filesystem;
namespace gamefiles = qvm::gamefiles;

namespace {

// Source texts are UTF-8; the game's files hold Windows-1252.
std::string Cp(const std::string& utf8) { return qvm::Cp1252FromUtf8(utf8).value_or("?"); }

std::vector<std::string> CpAll(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& text : utf8) out.push_back(Cp(text));
  return out;
}

std::string Lines(const std::vector<std::string>& lines) { return gamefiles::Lines(CpAll(lines)); }

using gamefiles::WriteFile;

// A record file and its offset file, whose extension takes the letter case of the record file's.
void WritePair(const fs::path& folder, const std::string& stem, const std::string& ext,
               const std::vector<std::string>& records) {
  gamefiles::WritePair(folder / (stem + "." + ext),
                       folder / (stem + "." + (ext == "DAT" ? "IDX" : "idx")),
                       gamefiles::MakePair(records));
}

// --- Wrestlers -------------------------------------------------------------------------------

struct DemoWrestler {
  const char* name;
  const char* hometown;
  int weight;
};

const std::vector<DemoWrestler> kWrestlers = {
    {"Ace Harmon", "Tulsa", 231},           {"Blaze Corrigan", "Cork", 245},
    {"Brick Dalloway", "Leeds", 290},       {"Cassidy Storm", "Reno", 138},
    {"Colt Vennar", "Amarillo", 236},       {"Dante Ruiz", "San Antonio", 212},
    {"Derek Hollow", "Gary", 258},          {"Eli Thorne", "Boise", 221},
    {"Finn Mallory", "Galway", 209},        {"Gage Whitlock", "Omaha", 301},
    {"Hank Bristow", "Bristol", 276},       {"Iris Calloway", "Savannah", 141},
    {"Jax Renner", "Fresno", 218},          {"José Calderón", "Guadalajara", 196},
    {"Kade Ashby", "Flint", 264},           {"Lars Brenner", "Bergen", 283},
    {"Luca Fontaine", "Lyon", 205},         {"Max Delgado", "El Paso", 227},
    {"Nova Sinclair", "Halifax", 135},      {"Otto Grimsby", "Hull", 312},
    {"Pike Lawson", "Dayton", 214},         {"Quinn Rourke", "Belfast", 219},
    {"Rex Halvorsen", "Duluth", 268},       {"Rook Mendez", "Tucson", 223},
    {"Sable Quint", "Memphis", 144},        {"Silas Crane", "Salem", 239},
    {"Björn Eklund", "Umeå", 287},          {"Tess Marlowe", "Dover", 139},
    {"Titus Vale", "Akron", 295},           {"Ursa Kowal", "Gdansk", 171},
    {"Vic Santoro", "Newark", 248},         {"Wade Pritchard", "Abilene", 233},
    {"Xander Bloom", "Portland", 202},      {"Yuri Volkan", "Varna", 279},
    {"Zane Corvo", "Monterrey", 216},       {"Zoë Marchetti", "Turin", 133},
    {"François Lenoir", "Québec", 224},     {"Søren Vik", "Tromsø", 261},
    {"el Tigre Azul", "Puebla", 187},       {"3-D Danny", "Camden", 199},
};

// Circuit name changes by wrestler number (1-based); everyone else keeps the main name.
struct CircuitAlias {
  int wrestler;
  const char* name;
};

std::string WrestlerRecord(const DemoWrestler& w, int number) {
  return Lines({w.name, w.hometown, std::to_string(w.weight), std::to_string(60 + number % 35),
                std::to_string(number % 4), "0"});
}

// circxdb.dat: a record per wrestler, holding the wrestler's name in this circuit.
std::string CircuitWrestlers(int records, const std::vector<CircuitAlias>& aliases) {
  std::vector<std::string> out;
  for (int k = 1; k <= records; ++k) {
    std::string name = k <= static_cast<int>(kWrestlers.size()) ? kWrestlers[k - 1].name
                                                                : "Guest Worker " + std::to_string(k);
    for (const CircuitAlias& alias : aliases) {
      if (alias.wrestler == k) name = alias.name;
    }
    std::array<int, gamefiles::kCircuitNumbers> numbers;
    for (int i = 0; i < gamefiles::kCircuitNumbers; ++i) numbers[i] = (k * 7 + (i + 2) * 3) % 100;
    out.push_back(gamefiles::CircuitRecord(Cp(name), numbers));
  }
  return gamefiles::Counted(out);
}

// --- Teams, stables, managers, titles --------------------------------------------------------

std::string TeamRecord(const char* member1, const char* member2, const char* name) {
  return Lines({member1, member2, name, "0", "50"});
}

std::string StableRecord(const char* name, const std::string& memberLines) {
  return Cp(name) + "\r\n" + memberLines + "\r\n" + "1\r\n";
}

std::string TitleFile(const std::vector<std::string>& titles) {
  std::vector<std::string> records;
  for (size_t i = 0; i < titles.size(); ++i) {
    records.push_back(gamefiles::TitleRecord("Vacant", Cp(titles[i]), static_cast<int>(i) + 1));
  }
  return gamefiles::Counted(records);
}

// --- Pictures --------------------------------------------------------------------------------

struct Picture {
  const char* file;  // as on disk, capitals and all
  int width;
  int height;
  const char* caption;
};

// The picture stored turned.
constexpr std::string_view kTurnedPicture = "nova.jpg";

// Attached in media/index.dat (key, then the pictures by their lower-case names).
struct Attachment {
  const char* key;
  std::vector<const char*> images;
};

const std::vector<Picture> kPictures = {
    // attached
    {"ace_harmon.jpg", 240, 300, "AH"},        {"Ace_Harmon_2.JPG", 300, 400, "AH"},
    {"the_ace.bmp", 300, 300, "ACE"},          {"jose_calderon.jpg", 240, 300, "JC"},
    {"El_Matador.jpg", 480, 300, "EM"},        {"blaze.jpg", 240, 300, "BC"},
    {"bjorn_eklund.bmp", 240, 300, "BE"},      {"nova.jpg", 256, 320, "NS"},
    {"supernova.jpg", 300, 300, "SN"},         {"firebricks.jpg", 480, 300, "FB"},
    {"Dante_And_Rook.BMP", 480, 300, "DR"},    {"syndicate.jpg", 600, 250, "SYN"},
    {"crown_jewels.jpg", 600, 190, "CJ"},      {"percival_drake.jpg", 240, 300, "PD"},
    {"mama_lucia.bmp", 240, 300, "ML"},        {"ncw_heavyweight.jpg", 400, 300, "NCW"},
    {"sla_world.jpg", 400, 300, "SLA"},        {"outlaws.jpg", 480, 300, "OUT"},
    // stray
    {"Cassidy_Storm.jpg", 240, 300, "CS"},     {"colt_vennar.jpeg", 300, 400, "CV"},
    {"Hank_Bristow.BMP", 240, 300, "HB"},      {"wolfpack_nation.jpg", 480, 300, "WN"},
    {"tide_breakers.bmp", 480, 300, "TB"},     {"OLD_LOGO.JPG", 300, 300, "QVM"},
    {"arena_banner.jpg", 600, 200, "ARENA"},   {"pacific_edge.jpg", 480, 300, "PE"},
    {"titus_vale.jpg", 200, 500, "TV"},        {"sable_quint.bmp", 240, 300, "SQ"},
    {"los_cuervos.jpg", 480, 300, "LC"},       {"zane_corvo.jpg", 300, 300, "ZC"},
    // stray, named as in a picture pack
    {"Zoe-Marchetti_2.JPG", 240, 300, "ZM"},   {"francois_lenoir (2).jpg", 240, 300, "FL"},
    {"hank_bristow_and_otto_grimsby.jpg", 480, 300, "HB+OG"},
    {"Nordic_Storm-alt.jpg", 480, 300, "NS"},  {"midnight-order.bmp", 600, 250, "MO"},
    {"Hardcore_Title.jpg", 400, 300, "HC"},
};

const std::vector<Attachment> kAttachments = {
    {"Ace Harmon", {"ace_harmon.jpg", "ace_harmon_2.jpg"}},
    {"The Ace", {"the_ace.bmp"}},
    {"José Calderón", {"jose_calderon.jpg"}},
    {"El Matador", {"el_matador.jpg"}},
    {"Blaze Corrigan", {"blaze.jpg"}},
    {"BJÖRN EKLUND", {"bjorn_eklund.bmp"}},
    {"Nova Sinclair", {"nova.jpg"}},
    {"Supernova", {"supernova.jpg"}},
    {"The Firebricks (Blaze Corrigan/Brick Dalloway)", {"firebricks.jpg"}},
    {"Dante Ruiz and Rook Mendez", {"dante_and_rook.bmp"}},
    {"The Outlaws (Colt Vennar/Wade Pritchard)", {"outlaws.jpg"}},
    {"The Syndicate (Derek Hollow/Silas Crane/Vic Santoro)", {"syndicate.jpg"}},
    {"Crown Jewels (Cassidy Storm/Iris Calloway/Tess Marlowe/Zoë Marchetti)", {"crown_jewels.jpg"}},
    {"Percival Drake", {"percival_drake.jpg"}},
    {"Mama Lucía", {"mama_lucia.bmp"}},
    {"NCW Heavyweight Championship", {"ncw_heavyweight.jpg"}},
    {"SLA World Title", {"sla_world.jpg"}},
};

// A poster: a colour gradient, a silhouette per person (one, two for landscape shapes, more
// for wide banners), and a caption.
QImage DrawPicture(const Picture& picture, int seed) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor top = QColor::fromHsv((seed * 47) % 360, 160, 230);
  QColor bottom = QColor::fromHsv((seed * 47 + 40) % 360, 200, 90);
  QLinearGradient gradient(0, 0, 0, picture.height);
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter.fillRect(image.rect(), gradient);

  int figures = std::max(1, (picture.width * 5) / (picture.height * 4));
  qreal slot = qreal(picture.width) / figures;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(20, 20, 30, 220));
  for (int f = 0; f < figures; ++f) {
    qreal cx = slot * (f + 0.5);
    qreal head = std::min(slot, qreal(picture.height)) * 0.16;
    qreal headY = picture.height * 0.38;
    painter.drawEllipse(QPointF(cx, headY), head, head * 1.15);
    QPainterPath body;
    body.moveTo(cx - head * 2.4, picture.height);
    body.quadTo(cx - head * 2.2, headY + head * 1.6, cx, headY + head * 1.5);
    body.quadTo(cx + head * 2.2, headY + head * 1.6, cx + head * 2.4, picture.height);
    body.closeSubpath();
    painter.drawPath(body);
  }
  QFont font;
  font.setBold(true);
  font.setPixelSize(std::max(12, picture.height / 9));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 8, picture.width, picture.height / 5), Qt::AlignCenter,
                   QString::fromLatin1(picture.caption));
  painter.end();
  return image;
}

// --- The game folder -------------------------------------------------------------------------

void WriteDatabase(const fs::path& root) {
  WriteFile(root / "qvm.vrs", "QVM 7 SE\r\n");
  // Circuits: the second line of each group is the folder; one holds a "\", and on disk the
  // folders are spelled in other letter cases than card.lgs uses.
  WriteFile(root / "card.lgs", Lines({"Northern Crown Wrestling", "NCW", "1",
                                      "Pacific Rumble Xtreme", "CIRCUITS\\PACIFIC", "2",
                                      "Southern Legends Alliance", "SLA", "3"}));
  fs::path ncw = root / "ncw";
  fs::path pacific = root / "Circuits" / "Pacific";
  fs::path sla = root / "SLA";
  fs::path data = root / "DATA";

  std::vector<std::string> wrestlers;
  for (size_t k = 0; k < kWrestlers.size(); ++k) {
    wrestlers.push_back(WrestlerRecord(kWrestlers[k], static_cast<int>(k) + 1));
  }
  WritePair(data, "WRESTLRS", "DAT", wrestlers);
  // NCW knows every wrestler; one of its names differs only in letter case.
  WriteFile(ncw / "CIRCXDB.DAT", CircuitWrestlers(40, {{1, "The Ace"},
                                                      {4, "Cassidy"},
                                                      {14, "El Matador"},
                                                      {27, "BJÖRN EKLUND"}}));
  // Pacific has fewer records than there are wrestlers; SLA more (the surplus is ignored).
  WriteFile(pacific / "circxdb.dat", CircuitWrestlers(30, {{1, "The Ace"},
                                                          {2, "Blaze"},
                                                          {14, "El Matador"},
                                                          {19, "Supernova"}}));
  WriteFile(sla / "Circxdb.dat", CircuitWrestlers(45, {{2, "Blaze C."},
                                                      {10, "The Gatekeeper"},
                                                      {33, "X"},
                                                      {36, "Zoé Marchetti"}}));

  WritePair(data, "teams", "dat",
            {TeamRecord("Blaze Corrigan", "Brick Dalloway", "The Firebricks"),
             TeamRecord("Dante Ruiz", "Rook Mendez", ""),
             TeamRecord("Iris Calloway", "Tess Marlowe", "Velvet Thunder"),
             TeamRecord("Lars Brenner", "Björn Eklund", "Nordic Storm"),
             TeamRecord("Jax Renner", "Pike Lawson", ""),
             TeamRecord("Colt Vennar", "Wade Pritchard", "The Outlaws")});
  WritePair(ncw, "TEAMS", "DAT",
            {TeamRecord("Blaze Corrigan", "Brick Dalloway", "The Firebricks"),  // known: dropped
             TeamRecord("Hank Bristow", "Otto Grimsby", ""),
             TeamRecord("Hank Bristow", "Otto Grimsby", "")});  // the same nameless team again
  WritePair(pacific, "teams", "dat",
            {TeamRecord("Quinn Rourke", "Silas Crane", "Pacific Edge"),
             TeamRecord("Dante Ruiz", "Rook Mendez", "")});  // known from the main file
  WritePair(sla, "Teams", "dat",
            {TeamRecord("Zane Corvo", "Vic Santoro", "Los Cuervos"),
             TeamRecord("Søren Vik", "Lars Brenner", "Fjord Force")});

  WritePair(data, "Stables", "dat",
            {StableRecord("The Syndicate", "3\r\n7,26,31"),
             StableRecord("Iron Circle", "0"),  // no members: never kept
             StableRecord("Crown Jewels", "4\r\n4\r\n12\r\n28\r\n36"),
             StableRecord("Wolfpack Nation", "2\r\n16, 27"),
             StableRecord("Midnight Order", "3\r\n8,29,35")});
  WritePair(ncw, "STABLES", "DAT", {StableRecord("Wolfpack Nation", "3\r\n38,16,20")});
  WritePair(pacific, "stables", "dat",
            {StableRecord("Tide Breakers", "3\r\n19,22,25"), StableRecord("Empty Hand", "0")});
  WritePair(sla, "stables", "dat", {StableRecord("The Syndicate", "2\r\n31,33")});

  WritePair(data, "MANAGERS", "DAT",
            {Lines({"Percival Drake", "1"}), Lines({"Mama Lucía", "1"}),
             Lines({"Gus Ferrante", "0"}), Lines({"Honey Baxter", "1"}),
             Lines({"Doc Ambrose", "0"}), Lines({"Sir Reginald Pomfrey", "1"}),
             Lines({"Vera Lockhart", "1"}), Lines({"Mister Ives", "0"})});

  WriteFile(ncw / "CARD.TTL", TitleFile({"NCW Heavyweight Championship", "NCW Tag Team Championship",
                                         "NCW Television Title", "Hardcore Title"}));
  WriteFile(pacific / "card.ttl", TitleFile({"Pacific Coast Championship", "Pacific Tag Team Titles"}));
  WriteFile(sla / "Card.ttl", TitleFile({"SLA World Title", "SLA Women's Title", "Hardcore Title"}));
}

// A JPEG of the picture stored turned a quarter to the left, with the EXIF orientation (6) that
// tells a viewer to turn it back: every viewer shows it upright, the game on its side.
bool SaveTurned(const QImage& upright, const fs::path& path) {
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  if (!upright.transformed(QTransform().rotate(-90)).save(&buffer, "JPEG", 85)) return false;
  // APP1: "Exif", a big-endian TIFF header, one directory with the orientation alone.
  static const char kExif[] =
      "\xFF\xE1\x00\x22" "Exif\0\0" "MM\0\x2A\0\0\0\x08"
      "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0" "\0\0\0\0";
  jpeg.insert(2, QByteArray(kExif, sizeof kExif - 1));
  return WriteFile(path, jpeg.toStdString());
}

// A picture as a PNG with a transparent corner, which a JPEG copy shows white.
bool SavePng(const QImage& picture, const fs::path& path) {
  QImage png = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < png.height() / 4; ++y)
    for (int x = 0; x < png.width() / 4; ++x) png.setPixel(x, y, qRgba(0, 0, 0, 0));
  return png.save(QString::fromStdString(path.string()), "PNG");
}

bool WriteMedia(const fs::path& root) {
  fs::path media = root / "media";
  fs::create_directories(media);
  int seed = 0;
  for (const Picture& picture : kPictures) {
    fs::path path = media / picture.file;
    std::string ext = path.extension().string();
    const char* format = (ext == ".bmp" || ext == ".BMP") ? "BMP" : "JPEG";
    const QImage drawn = DrawPicture(picture, ++seed);
    const bool saved = std::string_view(picture.file) == kTurnedPicture
                           ? SaveTurned(drawn, path)
                           : drawn.save(QString::fromStdString(path.string()), format, 85);
    if (!saved) {
      std::fprintf(stderr, "qvm-demo-game: cannot write %s\n", path.c_str());
      return false;
    }
  }
  if (!SavePng(DrawPicture({"tess_marlowe.png", 240, 300, "TM"}, ++seed), media / "tess_marlowe.png"))
    return false;
  std::string index;
  for (const Attachment& a : kAttachments) {
    index += gamefiles::IndexLines(Cp(a.key), CpAll({a.images.begin(), a.images.end()}));
  }
  return WriteFile(media / "index.dat", index);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qvm-demo-game FOLDER\n");
    return 2;
  }
  // Drawing needs fonts but never a screen; the offscreen platform's notes about the session
  // are of no use to someone who only wants the folder.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && !text.startsWith("QStandardPaths:")) {
      std::fprintf(stderr, "%s\n", qPrintable(text));
    }
  });
  QGuiApplication app(argc, argv);
  fs::path root = argv[1];
  WriteDatabase(root);
  return WriteMedia(root) ? 0 : 1;
}
