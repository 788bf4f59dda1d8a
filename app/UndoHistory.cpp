#include "app/UndoHistory.h"

#include <utility>

namespace qvm {
namespace {

using Kind = IndexChange::Kind;

// The entry's images when `entry` is a number of the table, else nullptr.
const std::vector<Text>* ImagesOf(const ImageIndex& index, int entry) {
  if (entry < 1 || entry > index.EntryCount()) return nullptr;
  return &index.Entry(entry).images;
}

// True when the entry lists `name` exactly at `position` (1-based).
bool Lists(const ImageIndex& index, int entry, int position, std::string_view name) {
  const std::vector<Text>* images = ImagesOf(index, entry);
  return images && position >= 1 && position <= static_cast<int>(images->size()) &&
         (*images)[static_cast<size_t>(position) - 1] == name;
}

bool Keyed(const ImageIndex& index, int entry, std::string_view key) {
  return ImagesOf(index, entry) && index.Entry(entry).key == key;
}

// Makes `c` once more, after checking that the table is as it was before `c`.
bool Apply(ImageIndex& index, const IndexChange& c) {
  switch (c.kind) {
    case Kind::NewEntry:
      return index.EntryCount() + 1 == c.entry && index.AppendEntry(c.text) == c.entry;
    case Kind::EntryTakenBack:
      return Keyed(index, c.entry, c.key) && index.TakeBackEntry(c.entry);
    case Kind::ImageAdded: {
      const std::vector<Text>* images = ImagesOf(index, c.entry);
      return images && static_cast<int>(images->size()) + 1 == c.position &&
             index.AddImage(c.entry, c.text) == AddImageResult::Added;
    }
    case Kind::ImageRemoved:
      if (!Lists(index, c.entry, c.position, c.text)) return false;
      index.RemoveImage(c.entry, c.position);
      return true;
    case Kind::ImageRestored:
      return index.RestoreImage(c.entry, c.position, c.text);
    case Kind::ImageReplaced:
      return Lists(index, c.entry, c.position, c.previous) &&
             index.ReplaceImage(c.entry, c.position, c.text) == AddImageResult::Added;
    case Kind::EntryRekeyed:
      if (!Keyed(index, c.entry, c.key)) return false;
      index.SetKey(c.entry, c.text);
      return Keyed(index, c.entry, c.text);
  }
  return false;
}

// The change that takes `c` back. An added name is last, so removing it moves nothing; a
// removed name goes back to its place and the name moved there back to the end.
IndexChange Inverse(const IndexChange& c) {
  static constexpr std::pair<Kind, Kind> kOpposites[] = {
      {Kind::NewEntry, Kind::EntryTakenBack}, {Kind::EntryTakenBack, Kind::NewEntry},
      {Kind::ImageAdded, Kind::ImageRemoved}, {Kind::ImageRestored, Kind::ImageRemoved},
      {Kind::ImageRemoved, Kind::ImageRestored},
  };
  IndexChange back = c;
  for (auto [kind, opposite] : kOpposites)
    if (c.kind == kind) back.kind = opposite;
  if (c.kind == Kind::ImageReplaced) std::swap(back.text, back.previous);
  if (c.kind == Kind::EntryRekeyed) std::swap(back.key, back.text);
  return back;
}

}  // namespace

std::string StepLabel(const std::vector<IndexChange>& changes) {
  struct Count {
    int n = 0;
    std::string first;
  } added, removed, replaced;
  bool rekeyed = false;
  auto note = [](Count& count, const std::string& name) {
    if (count.n++ == 0) count.first = name;
  };
  for (const IndexChange& c : changes) {
    switch (c.kind) {
      case Kind::ImageAdded:
        note(added, c.text);
        break;
      case Kind::ImageRemoved:
        note(removed, c.text);
        break;
      case Kind::ImageReplaced:
        note(replaced, c.previous);
        break;
      case Kind::EntryRekeyed:
        rekeyed = true;
        break;
      default:
        break;
    }
  }
  auto name = [](const char* verb, const Count& count) {
    return std::string(verb) + " " +
           (count.n == 1 ? count.first : std::to_string(count.n) + " pictures");
  };
  if (added.n) return name("attach", added);
  if (removed.n) return name("remove", removed);
  if (replaced.n) return name("replace", replaced);
  return rekeyed ? "change a key" : "add an entry";
}

void UndoHistory::Listen(ImageIndex& index) {
  StopListening();
  index_ = &index;
  passOn_ = index.Observer();
  index.SetObserver([this](const IndexChange& change) {
    if (passOn_) passOn_(change);
    Record(change);
  });
}

void UndoHistory::StopListening() {
  if (!index_) return;
  index_->SetObserver(std::move(passOn_));
  index_ = nullptr;
  passOn_ = nullptr;
  Forget();
}

void UndoHistory::BeginStep(std::string label) {
  if (depth_++ == 0) {
    open_ = Step{std::move(label), {}};
  } else if (open_.label.empty()) {
    open_.label = std::move(label);
  }
}

void UndoHistory::EndStep() {
  if (depth_ == 0 || --depth_ > 0) return;
  Step step = std::exchange(open_, Step{});
  if (step.changes.empty()) return;
  if (step.label.empty()) step.label = StepLabel(step.changes);
  done_.push_back(std::move(step));
  undone_.clear();
}

void UndoHistory::Record(const IndexChange& change) {
  if (replaying_) return;
  if (depth_ > 0) {
    open_.changes.push_back(change);
    return;
  }
  done_.push_back(Step{StepLabel({change}), {change}});
  undone_.clear();
}

void UndoHistory::Forget() {
  done_.clear();
  undone_.clear();
}

bool UndoHistory::Undo() { return CanUndo() && Replay(done_, undone_, true); }

bool UndoHistory::Redo() { return CanRedo() && Replay(undone_, done_, false); }

bool UndoHistory::Replay(std::vector<Step>& from, std::vector<Step>& to, bool back) {
  if (!index_) return false;
  Step step = std::move(from.back());
  from.pop_back();
  replaying_ = true;
  bool ok = true;
  const auto n = step.changes.size();
  for (size_t i = 0; ok && i < n; ++i)
    ok = back ? Apply(*index_, Inverse(step.changes[n - 1 - i])) : Apply(*index_, step.changes[i]);
  replaying_ = false;
  if (!ok) {
    Forget();
    return false;
  }
  to.push_back(std::move(step));
  return true;
}

}  // namespace qvm
