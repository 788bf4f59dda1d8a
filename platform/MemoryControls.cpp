#include "platform/MemoryControls.h"

#include <algorithm>

#include "platform/Cp1252.h"
#include "platform/ListOrder.h"

namespace qvm {

bool MemoryControl::UserClick() {
  if (!TakesInput()) return false;
  Notify(notify::kButtonClicked);
  return true;
}

// --- MemoryListBox ------------------------------------------------------------------------------

int MemoryListBox::SetCurrent(int index) {
  if (index == -1) {
    current_ = -1;
    focusOnFirst_ = false;
    for (Item& item : items_) item.selected = false;
    Changed(ListChange::Selection, -1);
    return -1;
  }
  if (!Valid(index)) return -1;
  current_ = anchor_ = index;
  focusOnFirst_ = false;
  items_[static_cast<std::size_t>(index)].selected = true;
  Changed(ListChange::Selection, index);
  return index;
}

int MemoryListBox::SelCount() const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

std::vector<int> MemoryListBox::SelItems(int maxCount) const {
  std::vector<int> out;
  for (int i = 0; i < Count() && static_cast<int>(out.size()) < maxCount; ++i) {
    if (items_[static_cast<std::size_t>(i)].selected) out.push_back(i);
  }
  return out;
}

int MemoryListBox::SetSel(bool select, int index) {
  if (index == -1) {
    for (Item& item : items_) item.selected = select;
  } else if (Valid(index)) {
    items_[static_cast<std::size_t>(index)].selected = select;
  } else {
    return -1;
  }
  Changed(ListChange::Selection, index);
  return 0;
}

int MemoryListBox::FindExact(int start, std::string_view text) const {
  return FindExactInList(Count(), start, text,
                         [this](int i) -> const std::string& { return TextAt(i); });
}

std::string MemoryListBox::ItemText(int index) const {
  if (index < 0) index = current_;
  return Valid(index) ? TextAt(index) : std::string();
}

int MemoryListBox::AddString(std::string_view text) {
  const int index =
      ListInsertPlace(Count(), text, [this](int i) -> const std::string& { return TextAt(i); });
  std::uint32_t slot;
  if (freeSlots_.empty()) {
    slot = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);
  } else {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    texts_[slot] = text;
  }
  items_.insert(items_.begin() + index, Item{slot, false});
  if (items_.size() == 1) {
    current_ = 0;
    focusOnFirst_ = true;
  } else if (!focusOnFirst_ && current_ >= index) {
    ++current_;
  }
  if (anchor_ >= index) ++anchor_;
  Changed(ListChange::Inserted, index);
  return index;
}

int MemoryListBox::DeleteString(int index) {
  if (!Valid(index)) return -1;
  const std::uint32_t slot = items_[static_cast<std::size_t>(index)].slot;
  texts_[slot].clear();
  freeSlots_.push_back(slot);
  items_.erase(items_.begin() + index);
  const int last = Count() - 1;
  if (current_ > index) --current_;
  current_ = std::min(current_, last);
  if (anchor_ > index) --anchor_;
  anchor_ = std::min(anchor_, last);
  Changed(ListChange::Removed, index);
  return Count();
}

void MemoryListBox::ResetContent() {
  items_.clear();
  texts_.clear();
  freeSlots_.clear();
  current_ = anchor_ = -1;
  focusOnFirst_ = false;
  Changed(ListChange::Reset, -1);
}

void MemoryListBox::SetEmphasis(const std::vector<Emphasis>& emphasis) {
  emphasis_.clear();
  for (const Emphasis& e : emphasis) emphasis_[e.text] = e.tip;
}

std::optional<std::string> MemoryListBox::EmphasisTip(int index) const {
  if (!Valid(index)) return std::nullopt;
  auto found = emphasis_.find(TextAt(index));
  if (found == emphasis_.end()) return std::nullopt;
  return found->second;
}

bool MemoryListBox::IsSelected(int index) const {
  return Valid(index) && items_[static_cast<std::size_t>(index)].selected;
}

std::vector<std::string> MemoryListBox::Items() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (const Item& item : items_) out.push_back(texts_[item.slot]);
  return out;
}

bool MemoryListBox::UserClick(int index, Modifier modifier) {
  if (!TakesInput() || !Valid(index)) return false;
  Item& item = items_[static_cast<std::size_t>(index)];
  switch (modifier) {
    case Modifier::None:
      for (Item& i : items_) i.selected = false;
      item.selected = true;
      anchor_ = index;
      break;
    case Modifier::Ctrl:
      item.selected = !item.selected;
      anchor_ = index;
      break;
    case Modifier::Shift: {
      const int from = Valid(anchor_) ? anchor_ : index;
      for (int i = 0; i < Count(); ++i) {
        items_[static_cast<std::size_t>(i)].selected =
            i >= std::min(from, index) && i <= std::max(from, index);
      }
      break;
    }
  }
  current_ = index;
  focusOnFirst_ = false;
  Changed(ListChange::Selection, index);
  Notify(notify::kSelChange);
  return true;
}

bool MemoryListBox::UserDoubleClick(int index) {
  if (!UserClick(index)) return false;
  Notify(notify::kDoubleClick);
  return true;
}

bool MemoryListBox::UserSetSelection(const std::vector<int>& selected, int current) {
  if (!TakesInput() || (current != -1 && !Valid(current))) return false;
  if (!std::all_of(selected.begin(), selected.end(), [this](int i) { return Valid(i); })) {
    return false;
  }
  for (Item& item : items_) item.selected = false;
  for (int i : selected) items_[static_cast<std::size_t>(i)].selected = true;
  current_ = anchor_ = current;
  focusOnFirst_ = false;
  Changed(ListChange::Selection, current);
  Notify(notify::kSelChange);
  return true;
}

// --- MemoryTree ---------------------------------------------------------------------------------

void MemoryTree::SetNodes(const TreeNodes& nodes) {
  nodes_ = &nodes;
  expanded_.assign(nodes.NodeCount() + 1, false);
  selection_ = 0;
}

void MemoryTree::GoTo(NodeHandle node) {
  if (!nodes_ || !nodes_->Shows(node)) return;
  for (NodeHandle up = nodes_->Parent(node); up != 0; up = nodes_->Parent(up))
    expanded_[up] = true;
  selection_ = node;
}

bool MemoryTree::IsExpanded(NodeHandle node) const {
  return nodes_ && nodes_->Contains(node) && expanded_[node];
}

bool MemoryTree::UserSelectNode(NodeHandle node) {
  if (!Takes(node)) return false;
  selection_ = node;
  Notify(notify::kTreeSelChanged);
  return true;
}

bool MemoryTree::UserClickNode(NodeHandle node) {
  if (!Takes(node)) return false;
  if (selection_ != node) {
    selection_ = node;
    Notify(notify::kTreeSelChanged);
  }
  Notify(notify::kTreeClick);
  return true;
}

bool MemoryTree::UserSetExpanded(NodeHandle node, bool expanded) {
  if (!Takes(node)) return false;
  if (!expanded) {
    for (NodeHandle up = nodes_->Parent(selection_); up != 0; up = nodes_->Parent(up)) {
      if (up != node) continue;
      selection_ = node;
      Notify(notify::kTreeSelChanged);
      break;
    }
  }
  expanded_[node] = expanded;
  Notify(notify::kTreeItemExpanded);
  return true;
}

// --- Host, file dialog, imaging -----------------------------------------------------------------

Control* MemoryControlHost::ControlById(int controlId) {
  auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second;
}

std::optional<FileChoice> MemoryFileDialog::ChooseImageFiles(const OpenFileRequest& request) {
  requests.push_back(request);
  if (answers.empty()) return std::nullopt;
  std::optional<FileChoice> answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

void MemoryImaging::SetImageSize(const std::string& fileName, int width, int height) {
  sizes_[fileName] = {width, height};
}

void MemoryImaging::OpenGfx(int x, int y, int width, int height, int flags) {
  calls.push_back({"OpenGfx", {x, y, width, height, flags}, {}});
}

void MemoryImaging::GfxWindow(int value) { calls.push_back({"GfxWindow", {value}, {}}); }

void MemoryImaging::BrushColor(std::uint32_t colorRef) {
  calls.push_back({"BrushColor", {colorRef}, {}});
}

void MemoryImaging::GfxCLS() { calls.push_back({"GfxCLS", {}, {}}); }

int MemoryImaging::ImageParam(const std::filesystem::path& file, int which) {
  calls.push_back({"ImageParam", {which}, file});
  auto it = sizes_.find(file.filename().string());
  if (it == sizes_.end()) return 0;
  if (which == 1) return it->second.first;
  if (which == 2) return it->second.second;
  return 0;
}

int MemoryImaging::GfxConvert(int axis, int pixels) {
  calls.push_back({"GfxConvert", {axis, pixels}, {}});
  return pixels;
}

int MemoryImaging::StretchImage(const std::filesystem::path& file, int width, int height) {
  calls.push_back({"StretchImage", {width, height}, file});
  return 1;
}

std::vector<ImagingCall> MemoryImaging::CallsNamed(std::string_view name) const {
  std::vector<ImagingCall> out;
  for (const ImagingCall& call : calls) {
    if (call.name == name) out.push_back(call);
  }
  return out;
}

}  // namespace qvm
