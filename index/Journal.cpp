#include "index/Journal.h"

#include <charconv>
#include <vector>

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

}  // namespace

bool Journal::Open(const fs::path& path) {
  FileHandle file = os_.OpenForAppending(path, nullptr);
  if (file == kNoFile && os_.Info(path, false).type == EntryType::Missing)
    file = os_.CreateNew(path, nullptr);
  file_ = OsFile(os_, file);
  return file_.IsOpen();
}

std::string EncodeJournalRecord(const IndexChange& change) {
  std::string n = std::to_string(change.entry);
  std::string_view entryKey = change.key;
  switch (change.kind) {
    case IndexChange::Kind::NewEntry:
      return "N\t" + n + "\t" + Escape(change.text);
    case IndexChange::Kind::ImageAdded:
      return "A\t" + n + "\t" + Escape(entryKey) + "\t" + Escape(change.text);
    case IndexChange::Kind::ImageRemoved:
      return "R\t" + n + "\t" + Escape(entryKey) + "\t" + std::to_string(change.position) + "\t" +
             Escape(change.text);
    case IndexChange::Kind::EntryRekeyed:
      // The key before the change identifies the entry; the new key follows.
      return "K\t" + n + "\t" + Escape(entryKey) + "\t" + Escape(change.text);
  }
  return {};
}

bool Journal::Append(const IndexChange& change) {
  if (!file_.IsOpen()) return false;
  std::string line = EncodeJournalRecord(change) + "\n";
  return os_.Write(file_.Handle(), line.data(), line.size(), nullptr) &&
         os_.Flush(file_.Handle(), nullptr);
}

int ReplayJournal(std::string_view bytes, ImageIndex& index) {
  int restored = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == bytes.npos) break;  // the last line was cut short by the crash
    auto f = Split(bytes.substr(pos, end - pos));
    pos = end + 1;
    int number = 0;
    std::string a, b;
    if (f.size() < 3 || f[0].size() != 1 || !ToInt(f[1], number)) continue;
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
        int position = 0;
        if (f.size() != 5 || !Unescape(f[2], a) || !ToInt(f[3], position) || !Unescape(f[4], b))
          break;
        int e = LocateEntry(index, number, a);
        if (!e) break;
        const auto& images = index.Entry(e).images;
        // The recorded position, or wherever that exact name stands now.
        if (position < 1 || position > static_cast<int>(images.size()) ||
            images[static_cast<size_t>(position) - 1] != b) {
          position = 0;
          for (size_t i = 0; i < images.size() && !position; ++i)
            if (images[i] == b) position = static_cast<int>(i) + 1;
        }
        if (position) {
          index.RemoveImage(e, position);
          ++restored;
        }
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
      default:
        break;
    }
  }
  return restored;
}

}  // namespace qvm
