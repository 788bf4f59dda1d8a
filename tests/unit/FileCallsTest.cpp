// The file-system calls of the work on a game grow with its folders and pictures, never with the
// names it looks up: on Windows each look-up of a name is a search of its folder, and a full
// game looks up hundreds of game files and 400,000 picture names.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>

#include "gamedb/GameReaders.h"
#include "gamedb/LoadGameDatabase.h"
#include "images/PictureScan.h"
#include "platform/Cp1252.h"
#include "tests/support/GameWriter.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/JpegWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using gamefiles::CircuitFile;
using gamefiles::Lines;
using gamefiles::MakePair;

// The real Os, counting the calls that reach the disk by name (from any thread).
class CountingOs : public test::FaultyOs {
 public:
  std::optional<fs::path> NameOnDisk(const fs::path& folder, const fs::path& name) override {
    ++nameLookUps;
    return FaultyOs::NameOnDisk(folder, name);
  }
  EntryInfo Info(const fs::path& p, bool follow) override {
    ++lookUps;
    return FaultyOs::Info(p, follow);
  }
  std::optional<fs::path> RealPath(const fs::path& p) override {
    ++lookUps;
    return FaultyOs::RealPath(p);
  }
  bool ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries,
                  std::string* error) override {
    Count(listings, folder);
    return FaultyOs::ListFolder(folder, entries, error);
  }
  FileHandle OpenForReading(const fs::path& p, std::string* error) override {
    Count(opens, p);
    return FaultyOs::OpenForReading(p, error);
  }
  FileHandle OpenForReadingWithInfo(const fs::path& p, EntryInfo& opened,
                                    std::string* error) override {
    Count(opens, p);
    return SystemOs().OpenForReadingWithInfo(p, opened, error);
  }
  std::int64_t Read(FileHandle f, void* buffer, std::size_t size, std::string* error) override {
    ++reads;
    return FaultyOs::Read(f, buffer, size, error);
  }
  EntryInfo InfoOf(FileHandle f) override {
    ++infoOfs;
    return FaultyOs::InfoOf(f);
  }

  std::atomic<int> nameLookUps = 0;
  std::atomic<int> lookUps = 0;  // of anything else by its path
  std::atomic<int> reads = 0;
  std::atomic<int> infoOfs = 0;
  std::map<fs::path, int> listings, opens;

 private:
  void Count(std::map<fs::path, int>& counts, const fs::path& p) {
    std::lock_guard<std::mutex> hold(mutex_);
    ++counts[p];
  }
  std::mutex mutex_;
};

int MostOf(const std::map<fs::path, int>& counts) {
  int most = 0;
  for (const auto& [path, n] : counts) most = std::max(most, n);
  return most;
}

TEST(FileCalls, LoadingAGameListsEachFolderOnceAndLooksUpOnlyWhatIsMissing) {
  NewPool();
  test::GameFolder game;
  // Folders and files in other letter case than the game names them, as copied from Windows.
  game.Write("card.lgs", Lines({"One", "CIRC1", "1", "Two", "circ2", "1", "Gone", "circ3", "1"}));
  for (const char* stem : {"DATA/WRESTLRS", "DATA/Teams", "data2/x"}) {
    const auto pair = MakePair({Lines({"Alpha", "x"})});
    game.Write(std::string(stem) + ".DAT", pair.dat);
    game.Write(std::string(stem) + ".IDX", pair.idx);
  }
  for (const char* circuit : {"circ1", "CIRC2"})
    game.Write(std::string(circuit) + "/CIRCXDB.DAT", CircuitFile({"Alpha"}));
  CountingOs os;
  GameDatabase db;
  LoadGameDatabase(os, game.Paths(), db);
  EXPECT_EQ(MostOf(os.listings), 1);
  EXPECT_EQ(MostOf(os.opens), 1);
  // Only the names that no entry spells are looked up (they could be a second name of one):
  // the folder circ3 and the files missing from DATA and the two circuits.
  int missing = 0;
  for (const LoadFinding& f : db.findings) missing += f.kind == kFindingMissingFile;
  EXPECT_GT(missing, 0);
  EXPECT_LE(os.nameLookUps, missing);
  ReleasePool();
}

// A small picture is read in one read; its size needs no question of its own.
TEST(FileCalls, EachPictureIsOpenedOnceAndASmallOneReadInOneRead) {
  test::GameFolder game;
  const int kPictures = 200;  // enough to be read by several threads
  for (int i = 0; i < kPictures; ++i) {
    const std::string name = "media/p" + std::to_string(i) + (i % 3 ? ".jpg" : ".JPG");
    game.Write(name, i % 10 ? test::JpegFile(0xC0, 40 + i, 30) : std::string());
  }
  game.Write("media/notes.txt", "not a picture");
  CountingOs os;
  const GamePaths paths = game.Paths();
  PictureScan scan(os, paths);
  ASSERT_EQ(scan.Pictures().size(), static_cast<std::size_t>(kPictures));
  int shown = 0;
  for (const std::string& name : scan.Pictures())
    shown += scan.Header(Utf8FromCp1252(name)).Shown();
  EXPECT_EQ(shown, kPictures - kPictures / 10);
  EXPECT_EQ(os.listings[paths.media], 1);
  EXPECT_EQ(os.opens.size(), static_cast<std::size_t>(kPictures));
  EXPECT_EQ(MostOf(os.opens), 1);
  EXPECT_EQ(os.reads, shown);  // an empty one needs none
  EXPECT_EQ(os.infoOfs, 0);
  EXPECT_EQ(os.nameLookUps + os.lookUps, 0);
}

}  // namespace
}  // namespace qvm
