#include "images/StrayImages.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <unordered_map>

#include "images/ImageOperations.h"
#include "index/IndexFile.h"
#include "platform/Cp1252.h"
#include "platform/ListOrder.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

unsigned char FoldAz(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

void FoldInto(std::string_view name, std::string& out) {
  out.assign(name);
  for (char& ch : out) ch = static_cast<char>(FoldAz(static_cast<unsigned char>(ch)));
}

bool EndsWithFolded(std::string_view name, std::string_view lowerSuffix) {
  if (name.size() < lowerSuffix.size()) return false;
  std::string_view tail = name.substr(name.size() - lowerSuffix.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (FoldAz(static_cast<unsigned char>(tail[i])) != static_cast<unsigned char>(lowerSuffix[i]))
      return false;
  }
  return true;
}

// A regular file, or a link that leads to one without leaving the game folder.
bool ListableFile(const fs::directory_entry& entry, const fs::path& realGameFolder) {
  std::error_code ec;
  fs::file_status own = entry.symlink_status(ec);
  if (ec) return false;
  if (fs::is_regular_file(own)) return true;
  if (!fs::is_symlink(own) || realGameFolder.empty()) return false;
  fs::path target = fs::canonical(entry.path(), ec);
  if (ec || !fs::is_regular_file(fs::status(target, ec))) return false;
  fs::path rel = target.lexically_relative(realGameFolder);
  return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

int PicturePattern(std::string_view name) {
  for (std::size_t i = 0; i + 3 <= name.size(); ++i) {
    if (name[i] == '.' && FoldAz(static_cast<unsigned char>(name[i + 1])) == 'j' &&
        FoldAz(static_cast<unsigned char>(name[i + 2])) == 'p')
      return 1;
  }
  return EndsWithFolded(name, ".bmp") ? 2 : 0;
}

std::vector<std::string> ListMediaPictures(const fs::path& gameFolder) {
  std::vector<std::string> groups[2];
  std::error_code ec;
  fs::path realGameFolder = fs::canonical(gameFolder, ec);
  if (ec) realGameFolder.clear();
  for (fs::directory_iterator it(MediaFolder(gameFolder), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::string onDisk = it->path().filename().native();
    if (onDisk.empty() || onDisk.front() == '.') continue;
    auto name = Cp1252FromUtf8(onDisk);
    if (!name) continue;
    int pattern = PicturePattern(*name);
    if (pattern == 0 || !ListableFile(*it, realGameFolder)) continue;
    groups[pattern - 1].push_back(std::move(*name));
  }
  // Case variants of one name stand together, the one the preview opens for an index name
  // first (its exact, lower-case spelling, else the first in byte order): the index name then
  // blanks the very file the wizard shows for it.
  auto order = [](const std::string& a, const std::string& b) {
    std::string fa, fb;
    FoldInto(a, fa);
    FoldInto(b, fb);
    if (fa != fb) return fa < fb;
    bool upperA = fa != a, upperB = fb != b;
    if (upperA != upperB) return !upperA;
    return a < b;
  };
  std::vector<std::string> listed;
  for (auto& group : groups) {
    std::sort(group.begin(), group.end(), order);
    std::move(group.begin(), group.end(), std::back_inserter(listed));
  }
  return listed;
}

std::vector<std::string> StrayNames(const std::vector<std::string>& listed,
                                    const ImageIndex& index) {
  // Per folded name, the listed positions in table order and how many are blanked: an index
  // name always blanks the first of them not blanked yet, as the nested scan does.
  struct Positions {
    std::vector<std::uint32_t> at;
    std::size_t blanked = 0;
  };
  std::unordered_map<std::string, Positions> byName;
  byName.reserve(listed.size());
  std::string key;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (listed[i].empty()) continue;  // an empty text counts as blank from the start
    FoldInto(listed[i], key);
    byName[key].at.push_back(static_cast<std::uint32_t>(i));
  }
  std::vector<bool> blank(listed.size(), false);
  for (const IndexEntry& entry : index.Entries()) {
    for (Text image : entry.images) {
      if (image.empty()) continue;  // would only meet positions that are blank already
      FoldInto(image, key);
      auto found = byName.find(key);
      if (found == byName.end()) continue;
      Positions& p = found->second;
      if (p.blanked < p.at.size()) blank[p.at[p.blanked++]] = true;
    }
  }
  std::vector<std::string> stray;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (!blank[i] && !listed[i].empty()) stray.push_back(listed[i]);
  }
  return stray;
}

std::vector<std::string> SortedStrayNames(const fs::path& gameFolder, const ImageIndex& index) {
  std::vector<std::string> stray = StrayNames(ListMediaPictures(gameFolder), index);
  // Stable: texts that compare equal keep table order, as the sorted list inserts them.
  std::stable_sort(stray.begin(), stray.end(), [](const std::string& a, const std::string& b) {
    return CompareListOrder(a, b) < 0;
  });
  return stray;
}

void ScanStrayImages(Wizard& w) {
  ListBox& list = *w.c.strayList;
  list.ResetContent();
  // Already in list order, so every text lands at the end.
  for (const std::string& name : SortedStrayNames(w.gameFolder, w.db.imageIndex))
    list.AddString(name);
}

}  // namespace qvm
