// qvm-core-bench GAME SCRATCH [--runs N] [--nested-runs M]: the core operations on a game
// folder (the full-capacity one of qvm-full-game), each on its own, with the floors they are
// compared with. Prints tab-separated rows (see Harness.h) on stdout, progress on stderr.
// SCRATCH is a folder the benchmark may fill (the index is saved there, never into GAME).
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ImageOperations.h"
#include "app/StrayList.h"
#include "app/Wizard.h"
#include "app/qt/QtControls.h"
#include "app/qt/QtTree.h"
#include "bench/Harness.h"
#include "gamedb/LoadGameDatabase.h"
#include "gamedb/SortedView.h"
#include "images/MediaFile.h"
#include "images/StrayImages.h"
#include "index/IndexFile.h"
#include "platform/FileIo.h"
#include "platform/ListOrder.h"
#include "platform/NodePool.h"
#include "tree/CategoryTree.h"

namespace fs = std::filesystem;
using namespace qvm;
using namespace qvm::bench;

namespace {

Os& os = SystemOs();

// Every file of the game that loading reads: all but the pictures.
std::vector<fs::path> GameFiles(const GamePaths& paths) {
  const fs::path& game = paths.game;
  std::vector<fs::path> files;
  for (auto it = fs::recursive_directory_iterator(game); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_directory()) {
      if (it->path().filename() == "media") it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) files.push_back(it->path());
  }
  files.push_back(paths.index);
  return files;
}

// How many pieces `bytes` has when split at every `separator`, with memchr.
std::size_t Split(std::string_view bytes, char separator) {
  std::size_t pieces = 0;
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const auto* at =
        static_cast<const char*>(std::memchr(p, separator, static_cast<std::size_t>(end - p)));
    ++pieces;
    if (!at) break;
    p = at + 1;
  }
  return pieces;
}

// The floor of reading: the same bytes read the same way and split into lines with memchr;
// with `names`, each line split at its "|" as well (index.dat holds its names that way).
std::size_t ReadAndSplit(const std::vector<fs::path>& files, bool names = false) {
  std::size_t pieces = 0;
  for (const fs::path& file : files) {
    auto bytes = ReadWholeFile(os, file);
    if (!bytes) continue;
    if (!names) {
      pieces += Split(*bytes, '\r');
      continue;
    }
    std::string_view rest = *bytes;
    while (!rest.empty()) {
      std::size_t cr = rest.find('\r');
      pieces += Split(rest.substr(0, cr), '|');
      if (cr == std::string_view::npos) break;
      rest.remove_prefix(cr + 1);
    }
  }
  return pieces;
}

unsigned char FoldAz(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool EqualFoldAz(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAz(static_cast<unsigned char>(a[i])) != FoldAz(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The reference: the stray scan as first written, a search of the whole scan table for every
// image name of every entry. Kept here only, to measure against and to check the result.
std::vector<std::string> NestedStrayNames(std::vector<std::string> table, const ImageIndex& index) {
  for (const IndexEntry& entry : index.Entries()) {
    for (Text image : entry.images) {
      for (std::string& name : table) {
        if (!name.empty() && EqualFoldAz(name, image)) {
          name.clear();
          break;
        }
      }
    }
  }
  std::vector<std::string> stray;
  for (std::string& name : table)
    if (!name.empty()) stray.push_back(std::move(name));
  return stray;
}

// The nested scan as a whole: listing, matching, filling a sorted list.
void NestedScanStrayImages(const GamePaths& paths, const ImageIndex& index, ListBox& list) {
  list.ResetContent();
  std::vector<std::string> stray = NestedStrayNames(ListMediaPictures(os, paths), index);
  for (const std::string& name : stray) list.AddString(name);
}

std::vector<std::string> ListTexts(const ListBox& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.Count(); ++i) texts.push_back(list.ItemText(i));
  return texts;
}

void Progress(const char* what) {
  std::fprintf(stderr, "  %s\n", what);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: qvm-core-bench GAME SCRATCH [--runs N] [--nested-runs M]\n");
    return 2;
  }
  const fs::path game = fs::absolute(argv[1]);
  const fs::path scratch = fs::absolute(argv[2]);
  int runs = 9, nestedRuns = 1;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    // 0 skips the nested reference (for profiling the rest).
    if (std::strcmp(argv[i], "--nested-runs") == 0)
      nestedRuns = std::max(0, std::atoi(argv[i + 1]));
  }
  const GamePaths paths = ResolveGamePaths(os, game);
  Table table;

  // --- Loading ----------------------------------------------------------------------------
  Progress("loading the game database");
  const std::vector<fs::path> files = GameFiles(paths);
  std::unique_ptr<GameDatabase> db;
  auto [readFloor, load] = MedianPairMs(
      runs, [&] { KeepAlive(ReadAndSplit(files)); }, [&] { LoadGameDatabase(os, paths, *db); },
      [&] {
        db.reset();
        ReleasePool();
        NewPool();
        db = std::make_unique<GameDatabase>();
      });
  std::size_t poolBytes = PoolBytesUsed();
  table.Add({"LoadGameDatabase (every game file, sorted views, index)", load, "ms",
             "read + memchr line split of the same files", readFloor, "<= about 3x the line split",
             load <= 3 * readFloor});

  std::size_t aliases = 0, members = 0, images = 0;
  for (const Wrestler& w : db->wrestlers) aliases += w.aliases.size();
  for (const Stable& s : db->stables) members += s.members.size();
  for (const IndexEntry& e : db->imageIndex.Entries()) images += e.images.size();
  std::fprintf(stderr,
               "  %zu wrestlers with %zu names, %zu tag teams, %zu stables with %zu members, "
               "%zu managers, %zu titles, %d index entries with %zu pictures; pool %.1f MB\n",
               db->wrestlers.size(), aliases, db->teams.size(), db->stables.size(), members,
               db->managers.size(), db->titles.size(), db->imageIndex.EntryCount(), images,
               static_cast<double>(poolBytes) / 1e6);

  Progress("LoadImageIndex");
  const std::vector<fs::path> indexFile{paths.index};
  auto [indexFloor, loadIndex] = MedianPairMs(
      runs, [&] { KeepAlive(ReadAndSplit(indexFile, true)); },
      [&] {
        NewPool();
        ImageIndex index;
        LoadImageIndex(os, paths, index);
        ReleasePool();
      });
  table.Add({"LoadImageIndex (4000 x 100 names)", loadIndex, "ms",
             "read + memchr split of index.dat into lines and names", indexFloor,
             "<= about 3x the split", loadIndex <= 3 * indexFloor});

  Progress("PrepareSortedView");
  double sortViews = MedianMs(
      runs,
      [&] {
        for (int k = 0; k < kKindCount; ++k) PrepareSortedView(*db, kRecordKinds[k]);
      },
      [&] {
        // Aliases in an order that needs sorting again, as loading leaves them.
        for (Wrestler& w : db->wrestlers) std::reverse(w.aliases.begin(), w.aliases.end());
      });
  table.Add({"PrepareSortedView (all five kinds)", sortViews, "ms", "", 0, "", std::nullopt});

  // --- The tree -----------------------------------------------------------------------------
  Progress("BuildCategoryTree");
  std::unique_ptr<CategoryTree> tree;
  double dataBuild = MedianMs(
      runs, [&] { BuildCategoryTree(*db, *tree); },
      [&] { tree = std::make_unique<CategoryTree>(); });
  char nodes[64];
  std::snprintf(nodes, sizeof nodes, "%zu", tree->NodeCount());
  table.Add({std::string("BuildCategoryTree, the tree as data (") + nodes + " nodes)", dataBuild,
             "ms", "", 0, "<= 10 ms", dataBuild <= 10});

  // As the window does it: the tree built, then shown through the model of a view.
  std::unique_ptr<QTreeView> view;
  TreeModel* model = nullptr;
  std::unique_ptr<QtTreeView> adapter;
  double qtBuild = MedianMs(
      runs,
      [&] {
        BuildCategoryTree(*db, *tree);
        adapter->SetNodes(*tree);
      },
      [&] {
        adapter.reset();
        view = std::make_unique<QTreeView>();
        model = new TreeModel(view.get());
        view->setModel(model);
        view->setUniformRowHeights(true);
        adapter = std::make_unique<QtTreeView>(view.get(), model);
        tree = std::make_unique<CategoryTree>();
      });
  table.Add({"BuildCategoryTree and the Qt TreeModel over it (with its view)", qtBuild, "ms", "", 0,
             "<= 10 ms", qtBuild <= 10});
  adapter.reset();
  view.reset();

  // --- Saving the index, into a copy -------------------------------------------------------
  Progress("SaveImageIndex");
  const fs::path saveGame = scratch / "save-game";
  fs::remove_all(saveGame);
  fs::create_directories(saveGame / "media");
  fs::copy_file(paths.index, saveGame / "media" / "index.dat");
  const GamePaths savePaths = ResolveGamePaths(os, saveGame);
  IndexFileState state;
  {
    NewPool();
    ImageIndex copy;
    state = LoadImageIndex(os, savePaths, copy);
    ReleasePool();
  }
  const std::string bytes = SerializeImageIndex(db->imageIndex);
  const fs::path floorFile = saveGame / "media" / "floor.dat";
  auto [writeFloor, save] = MedianPairMs(
      runs,
      [&] {
        int fd = ::open(floorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        KeepAlive(::write(fd, bytes.data(), bytes.size()));
        ::fsync(fd);
        ::close(fd);
      },
      [&] { SaveImageIndex(os, savePaths, db->imageIndex, state); });
  table.Add({"SaveImageIndex (backup, write, flush, rename)", save, "ms",
             "one write + fsync of the same bytes", writeFloor, "", std::nullopt});

  // --- Stray pictures ------------------------------------------------------------------------
  Progress("stray pictures");
  std::vector<std::string> listed;
  double listing = MedianMs(runs, [&] { listed = ListMediaPictures(os, paths); });
  std::vector<std::string> fast, nested;
  double match = MedianMs(runs, [&] { fast = StrayNames(listed, db->imageIndex); });
  Progress("the nested reference scan (seconds)");
  double nestedMatch =
      MedianMs(nestedRuns, [&] { nested = NestedStrayNames(listed, db->imageIndex); });
  if (nestedRuns > 0 && fast != nested) {
    std::fprintf(stderr, "StrayNames differs from the nested scan: %zu against %zu names\n",
                 fast.size(), nested.size());
    return 1;
  }
  char listedText[96];
  std::snprintf(listedText, sizeof listedText, "%zu files listed, %zu stray", listed.size(),
                fast.size());
  table.Add(
      {std::string("listing media (") + listedText + ")", listing, "ms", "", 0, "", std::nullopt});
  table.Add({"StrayNames (matching only)", match, "ms", "nested matching", nestedMatch, "",
             std::nullopt});

  // The whole rebuild of the window's StrayList, into the window's own list widget.
  ListWidget widget;
  QtListBox strayList(&widget);
  Wizard wizard{.os = os, .paths = paths, .db = *db, .c = {}, .currentName = {}};
  wizard.c.strayList = &strayList;
  double scan = MedianMs(runs, [&] { ScanStrayImages(wizard); });
  std::vector<std::string> shown = ListTexts(strayList);
  double nestedScan =
      MedianMs(nestedRuns, [&] { NestedScanStrayImages(paths, db->imageIndex, strayList); });
  if (nestedRuns > 0 && ListTexts(strayList) != shown) {
    std::fprintf(stderr, "ScanStrayImages shows another list than the nested scan\n");
    return 1;
  }
  table.Add({"ScanStrayImages (listing, matching, StrayList)", scan, "ms",
             "nested scan, same listing and list", nestedScan,
             "<= 30 ms and >= 100x faster than nested", scan <= 30 && nestedScan >= 100 * scan});

  // What every preview does first: find the file of a name the index keeps in lower case
  // (the generator spells the files "Pic00000.jpg").
  const std::string lowerName =
      db->imageIndex.EntryCount() > 0 && !db->imageIndex.Entry(1).images.empty()
          ? std::string(db->imageIndex.Entry(1).images.front())
          : std::string("x.jpg");
  double resolve = MedianMs(runs, [&] { KeepAlive(ResolveMediaFile(os, paths, lowerName)); });
  table.Add({"ResolveMediaFile of a name in another letter case", resolve, "ms", "", 0, "",
             std::nullopt});

  std::fputs(table.Tsv().c_str(), stdout);
  db.reset();
  ReleasePool();
  return 0;
}
