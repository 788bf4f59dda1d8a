#include "index/Journal.h"

#include <charconv>
#include <vector>

#include "platform/ContentHash.h"
#include "platform/FileIo.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// Fields are separated by TAB and records end with LF; those bytes, CR, Ctrl-Z and "%" are
// written as %XX so that any key or name survives.
std::string Escape(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char ch : text) {
    auto b = static_cast<unsigned char>(ch);
    if (b == '\t' || b == '\n' || b == '\r' || b == 0x1A || b == '%' || b == 0) {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int value = 0;
    auto r = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (r.ec != std::errc() || r.ptr != text.data() + i + 3) return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == line.npos ? line.npos : tab - start));
    if (tab == line.npos) return fields;
    start = tab + 1;
  }
}

bool ToInt(std::string_view s, int& value) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), value);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// The entry a record meant: its number when that entry still has the recorded key, else the
// first entry with that key.
int LocateEntry(const ImageIndex& index, int number, std::string_view key) {
  if (number >= 1 && number <= index.EntryCount() && index.Entry(number).key == key) return number;
  return index.FindEntry(key);
}

// The recorded position when `name` stands there exactly, or wherever it stands now; 0 when
// the entry does not list it.
int LocateImage(const IndexEntry& entry, int position, std::string_view name) {
  const auto& images = entry.images;
  if (position >= 1 && position <= static_cast<int>(images.size()) &&
      images[static_cast<size_t>(position) - 1] == name)
    return position;
  for (size_t i = 0; i < images.size(); ++i)
    if (images[i] == name) return static_cast<int>(i) + 1;
  return 0;
}

// The payload of a record with its checksum, framed so that a record cut short is detected.
std::string Frame(std::string_view payload) {
  std::string record;
  record.reserve(payload.size() + 19);
  record += '\n';
  record += payload;
  record += '\t';
  record += HexOfHash(ContentHash(payload));
  record += '\n';
  return record;
}

// Calls `use` with the payload of every intact record, in order.
template <class Use>
void ForEachRecord(std::string_view bytes, Use use) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == bytes.npos) end = bytes.size();  // cut short: its checksum is missing or wrong
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    const std::size_t tab = line.rfind('\t');
    std::uint64_t sum = 0;
    if (tab == line.npos || !HashOfHex(line.substr(tab + 1), sum)) continue;
    std::string_view payload = line.substr(0, tab);
    if (ContentHash(payload) == sum) use(payload);
  }
}

// Version 3 added the records that take changes back ("D", "I"); a program that knows only
// version 2 would skip them and restore a different table, so it sets such a journal aside.
// Version 2 journals hold none of them and are read as ever.
constexpr std::string_view kHeaderTag = "QVM7-IMAGE-WIZARD-JOURNAL\t3\t";
constexpr std::string_view kHeaderTag2 = "QVM7-IMAGE-WIZARD-JOURNAL\t2\t";
constexpr std::string_view kUnreadable = "unreadable";

std::string Identity(const IndexFileState& index) {
  if (!index.loaded) return std::string(kUnreadable);
  return std::to_string(index.loadedSize) + "\t" + HexOfHash(index.loadedHash);
}

}  // namespace

std::string EncodeJournalHeader(const IndexFileState& index) {
  return Frame(std::string(kHeaderTag) + Identity(index));
}

bool Journal::Create(const fs::path& path, const IndexFileState& index) {
  // The header goes into a file of its own first, which then takes the journal's name only
  // while that is free: the journal never exists without its header.
  file_.Close(nullptr);
  fs::path temp;
  OsFile file(os_, CreateTemporaryFile(os_, path.parent_path(), "journal", temp, nullptr));
  if (!file.IsOpen()) return false;
  const std::string header = EncodeJournalHeader(index);
  if (!os_.Write(file.Handle(), header.data(), header.size(), nullptr) ||
      !os_.Flush(file.Handle(), nullptr) || !os_.RenameNew(temp, path, nullptr)) {
    file.Close(nullptr);
    os_.Remove(temp, nullptr);
    return false;
  }
  os_.FlushFolder(path.parent_path());
  file_ = std::move(file);  // still open for writing, at its end
  return true;
}

bool Journal::Continue(const fs::path& path) {
  file_ = OsFile(os_, os_.OpenForAppending(path, nullptr));
  return file_.IsOpen();
}

std::string EncodeJournalRecord(const IndexChange& change) {
  std::string n = std::to_string(change.entry);
  std::string_view entryKey = change.key;
  switch (change.kind) {
    case IndexChange::Kind::NewEntry:
      return Frame("N\t" + n + "\t" + Escape(change.text));
    case IndexChange::Kind::ImageAdded:
      return Frame("A\t" + n + "\t" + Escape(entryKey) + "\t" + Escape(change.text));
    case IndexChange::Kind::ImageRemoved:
      return Frame("R\t" + n + "\t" + Escape(entryKey) + "\t" + std::to_string(change.position) +
                   "\t" + Escape(change.text));
    case IndexChange::Kind::ImageReplaced:
      return Frame("P\t" + n + "\t" + Escape(entryKey) + "\t" + std::to_string(change.position) +
                   "\t" + Escape(change.previous) + "\t" + Escape(change.text));
    case IndexChange::Kind::EntryRekeyed:
      // The key before the change identifies the entry; the new key follows.
      return Frame("K\t" + n + "\t" + Escape(entryKey) + "\t" + Escape(change.text));
    case IndexChange::Kind::EntryTakenBack:
      return Frame("D\t" + n + "\t" + Escape(entryKey));
    case IndexChange::Kind::ImageRestored:
      return Frame("I\t" + n + "\t" + Escape(entryKey) + "\t" + std::to_string(change.position) +
                   "\t" + Escape(change.text));
  }
  return {};
}

bool Journal::Write(const std::string& record) {
  if (!file_.IsOpen()) return false;
  return os_.Write(file_.Handle(), record.data(), record.size(), nullptr) &&
         os_.Flush(file_.Handle(), nullptr);
}

bool Journal::Append(const IndexChange& change) { return Write(EncodeJournalRecord(change)); }

std::string EncodeJournalCommit(const IndexFileState& next) {
  return Frame("C\t" + Identity(next));
}

bool Journal::Commit(const IndexFileState& next) { return Write(EncodeJournalCommit(next)); }

FoundJournal FindJournal(Os& os, const fs::path& path, const IndexFileState& index) {
  FoundJournal found;
  switch (os.Info(path, false).type) {
    case EntryType::Missing:
      return found;
    case EntryType::Link:  // never one of ours
      found.state = JournalState::Unmatched;
      return found;
    case EntryType::Folder:
      found.state = JournalState::Unusable;
      found.error = "it is a folder";
      return found;
    case EntryType::Other:
      found.state = JournalState::Unusable;
      found.error = "it is not a regular file";
      return found;
    case EntryType::Regular:
      break;
  }
  auto bytes = ReadWholeFile(os, path, &found.error);
  if (!bytes) {
    found.state = JournalState::Unusable;
    found.error = "it cannot be read: " + found.error;
    return found;
  }
  bool any = false, header = false, belongs = false, applied = false, changes = false;
  const std::string identity = Identity(index);
  ForEachRecord(*bytes, [&](std::string_view payload) {
    if (!any && (payload.starts_with(kHeaderTag) || payload.starts_with(kHeaderTag2))) {
      header = true;
      belongs = payload.substr(kHeaderTag.size()) == identity;
    }
    any = true;
    if (header && payload.starts_with("C\t") && payload.substr(2) == identity) applied = true;
    if (payload.size() > 1 && payload[1] == '\t' &&
        std::string_view("NARKPDI").find(payload[0]) != std::string_view::npos)
      changes = true;
  });
  if (bytes->find_first_not_of(" \t\r\n") == std::string::npos || (header && !changes)) {
    found.state = JournalState::Applied;  // no change in it, whoever wrote it
  } else if (!header) {
    found.state = JournalState::Unmatched;
  } else if (applied) {
    found.state = JournalState::Applied;
  } else if (belongs) {
    found.state = JournalState::Pending;
    found.bytes = std::move(*bytes);
  } else {
    found.state = JournalState::Unmatched;
  }
  return found;
}

std::optional<fs::path> SetJournalAside(Os& os, const fs::path& path, std::string* error) {
  for (int n = 1; n <= 100; ++n) {
    fs::path aside = path;
    aside += n == 1 ? std::string(".unmatched") : ".unmatched-" + std::to_string(n);
    if (os.RenameNew(path, aside, error)) {
      os.FlushFolder(path.parent_path());
      return aside;
    }
    if (os.Info(aside, false).type == EntryType::Missing) return std::nullopt;
  }
  return std::nullopt;
}

int ReplayJournal(std::string_view bytes, ImageIndex& index) {
  int restored = 0;
  ForEachRecord(bytes, [&](std::string_view payload) {
    auto f = Split(payload);
    int number = 0;
    std::string a, b;
    // The header and the commit records have other shapes and are no changes.
    if (f.size() < 3 || f[0].size() != 1 || !ToInt(f[1], number)) return;
    // "R" and "I": the entry's key, a position and a name.
    int position = 0;
    const bool positioned =
        f.size() == 5 && Unescape(f[2], a) && ToInt(f[3], position) && Unescape(f[4], b);
    switch (f[0][0]) {
      case 'N':
        if (f.size() == 3 && Unescape(f[2], a) && index.AppendEntry(a)) ++restored;
        break;
      case 'A': {
        if (f.size() != 4 || !Unescape(f[2], a) || !Unescape(f[3], b)) break;
        int e = LocateEntry(index, number, a);
        if (e && index.AddImage(e, b) == AddImageResult::Added) ++restored;
        break;
      }
      case 'R': {
        if (!positioned) break;
        int e = LocateEntry(index, number, a);
        if (e && (position = LocateImage(index.Entry(e), position, b))) {
          index.RemoveImage(e, position);
          ++restored;
        }
        break;
      }
      case 'P': {
        std::string c;
        if (f.size() != 6 || !Unescape(f[2], a) || !ToInt(f[3], position) || !Unescape(f[4], b) ||
            !Unescape(f[5], c))
          break;
        int e = LocateEntry(index, number, a);
        if (e && (position = LocateImage(index.Entry(e), position, b)) &&
            index.ReplaceImage(e, position, c) == AddImageResult::Added)
          ++restored;
        break;
      }
      case 'K': {
        if (f.size() != 4 || !Unescape(f[2], a) || !Unescape(f[3], b)) break;
        int e = LocateEntry(index, number, a);
        if (e) {
          index.SetKey(e, b);
          ++restored;
        }
        break;
      }
      case 'D': {
        if (f.size() != 3 || !Unescape(f[2], a)) break;
        // Only the last entry is ever taken back, and only the one that was meant.
        if (index.EntryCount() == number && index.Entry(number).key == a &&
            index.TakeBackEntry(number))
          ++restored;
        break;
      }
      case 'I': {
        const int e = positioned ? LocateEntry(index, number, a) : 0;
        if (e && index.RestoreImage(e, position, b)) ++restored;
        break;
      }
      default:
        break;
    }
  });
  return restored;
}

}  // namespace qvm
