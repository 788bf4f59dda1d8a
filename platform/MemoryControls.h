// The controls kept in memory: what unit tests run on, and what a toolkit view can sit on. The
// program's calls through the control interfaces never notify; the User* methods stand for the
// user's own actions (a test simulating them, or a view forwarding them): they change the state
// and then send a notification to whoever owns the dispatch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Controls.h"

namespace qvm {

// Notification codes, with the values the window messages carry.
namespace notify {
inline constexpr int kButtonClicked = 0;  // BN_CLICKED
inline constexpr int kSelChange = 1;      // LBN_SELCHANGE
inline constexpr int kDoubleClick = 2;    // LBN_DBLCLK
inline constexpr int kTreeClick = -2;     // NM_CLICK
inline constexpr int kTreeSelChanged = -402;    // TVN_SELCHANGED
inline constexpr int kTreeItemExpanded = -406;  // TVN_ITEMEXPANDED
}  // namespace notify

using NotifyFunction = std::function<void(int code)>;

// Text, enabled and visible state shared by every in-memory control.
template <class Interface>
class MemoryControlState : public Interface {
 public:
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool IsEnabled() const override { return enabled_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }

  // Receives the user's actions on this control (the dispatch binds the control id).
  void SetNotify(NotifyFunction notify) { notify_ = std::move(notify); }

 protected:
  // Only a visible, enabled control takes the user's input.
  bool TakesInput() const { return enabled_ && visible_; }
  void Notify(int code) const {
    if (notify_) notify_(code);
  }

 private:
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
  NotifyFunction notify_;
};

// A label, edit field or button.
class MemoryControl : public MemoryControlState<Control> {
 public:
  MemoryControl() = default;
  explicit MemoryControl(std::string_view text) { SetText(text); }
  // A click: notifies BN_CLICKED unless the control is disabled or hidden (then it sends
  // nothing, as a disabled button does). Returns whether it was taken.
  bool UserClick();
};

// What changed in a list, for a view that shows it (not for the dispatch).
enum class ListChange { Inserted, Removed, Reset, Selection };

// A sorted list box with extended selection (the program's three lists).
//
// Order: every text is inserted at the place CompareListOrder gives, after the items it
// compares equal to. The current item (focus) is apart from the selected set:
//  - SetCurrent(i) makes i current and selects it; items already selected stay selected (so a
//    second item can join the selection, as the alias selection needs). SetCurrent(-1) leaves
//    no item current and deselects every item. A bad index changes nothing and gives -1.
//  - Until the program or the user sets a current item, the focus sits on the first item
//    without selecting it, whichever text is first (as on a fresh list box).
//  - Once set, the current item keeps the focus when texts are inserted before it; deleting
//    the current item passes the focus to the item that takes its place (the last one when it
//    was last); an empty list has no current item.
//  - SetSel never moves the focus.
class MemoryListBox : public MemoryControlState<ListBox> {
 public:
  int Count() const override { return static_cast<int>(items_.size()); }
  int Current() const override { return current_; }
  int SetCurrent(int index) override;
  int SelCount() const override;
  std::vector<int> SelItems(int maxCount) const override;
  int SetSel(bool select, int index) override;
  int FindExact(int start, std::string_view text) const override;
  std::string ItemText(int index) const override;
  int AddString(std::string_view text) override;
  int DeleteString(int index) override;
  void ResetContent() override;
  void SetEmphasis(const std::vector<Emphasis>& emphasis) override;

  bool IsSelected(int index) const;
  // The tip of an emphasised item; none for an item that is not emphasised.
  std::optional<std::string> EmphasisTip(int index) const;
  // Every item's text in list order.
  std::vector<std::string> Items() const;

  // The user's actions; each notifies LBN_SELCHANGE (a double-click then LBN_DBLCLK too),
  // also when the selection stays the same, as a list box does for every click. They do
  // nothing on a disabled or hidden list or for an index with no item, and return false then.
  enum class Modifier { None, Ctrl, Shift };
  // Plain: only the item selected. Ctrl: toggles the item. Shift: selects the range from the
  // anchor (the item clicked last without Shift) to the item. The item becomes current.
  bool UserClick(int index, Modifier modifier = Modifier::None);
  bool UserDoubleClick(int index);
  // A view that keeps its own selection hands the outcome of a user action over here.
  bool UserSetSelection(const std::vector<int>& selected, int current);

  void SetChangeObserver(std::function<void(ListChange, int index)> observer) {
    observer_ = std::move(observer);
  }

 private:
  // Items are small plain records pointing at their text, so inserting into a long list moves
  // a few bytes per item rather than strings.
  struct Item {
    std::uint32_t slot = 0;  // index into texts_
    bool selected = false;
  };
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  const std::string& TextAt(int index) const {
    return texts_[items_[static_cast<std::size_t>(index)].slot];
  }
  void Changed(ListChange change, int index) const {
    if (observer_) observer_(change, index);
  }

  std::vector<Item> items_;
  std::vector<std::string> texts_;
  std::vector<std::uint32_t> freeSlots_;
  int current_ = -1;
  bool focusOnFirst_ = false;  // the focus was never set since the list was filled
  int anchor_ = -1;
  std::map<std::string, std::string, std::less<>> emphasis_;  // text -> tip
  std::function<void(ListChange, int)> observer_;
};

// The entity tree, a view of the nodes it is given. It keeps which node is selected and which
// are expanded.
class MemoryTree : public MemoryControlState<TreeView> {
 public:
  void SetNodes(const TreeNodes& nodes) override;
  NodeHandle Selection() const override { return selection_; }
  void MarksChanged() override { ++marksShown_; }
  void GoTo(NodeHandle node) override;
  void ShowNote(std::string_view text) override { notes_.emplace_back(text); }

  // The nodes shown; nullptr before SetNodes.
  const TreeNodes* Nodes() const { return nodes_; }
  bool IsExpanded(NodeHandle node) const;
  // How often the marks were drawn anew, and the notes shown, in order.
  int MarksShown() const { return marksShown_; }
  const std::vector<std::string>& Notes() const { return notes_; }

  // The user's actions; each notifies (selection change or click, expand or collapse) even
  // when nothing changes, and returns false (without notifying) for a node that does not
  // exist or while the tree is disabled or hidden.
  bool UserSelectNode(NodeHandle node);
  bool UserClickNode(NodeHandle node);
  // Collapsing a node that holds the selection below it moves the selection onto that node.
  bool UserSetExpanded(NodeHandle node, bool expanded);

 private:
  bool Takes(NodeHandle node) const { return TakesInput() && nodes_ && nodes_->Shows(node); }

  const TreeNodes* nodes_ = nullptr;
  std::vector<bool> expanded_;  // by handle
  NodeHandle selection_ = 0;
  int marksShown_ = 0;
  std::vector<std::string> notes_;
};

// Every control of a window by its identifier.
class MemoryControlHost : public ControlHost {
 public:
  void Add(int controlId, Control* control) { controls_[controlId] = control; }
  Control* ControlById(int controlId) override;

 private:
  std::map<int, Control*> controls_;
};

// Answers the open-file dialog from a script: each call takes the next answer; an empty
// optional, or no answer left, is a cancel. Every request is kept for inspection.
class MemoryFileDialog : public FileDialog {
 public:
  std::optional<FileChoice> ChooseImageFiles(const OpenFileRequest& request) override;

  std::deque<std::optional<FileChoice>> answers;
  std::vector<OpenFileRequest> requests;
};

// Records every call of the imaging library; image sizes come from SetImageSize.
struct ImagingCall {
  std::string name;                // "OpenGfx", "BrushColor", "StretchImage", ...
  std::vector<std::int64_t> args;  // the integer arguments in order
  std::filesystem::path file;      // ImageParam and StretchImage
};

class MemoryImaging : public ImagingLibrary {
 public:
  // Size reported for a file whose name (the path's last component) is `fileName`; files
  // without a size report 0 x 0, like a file the library cannot read.
  void SetImageSize(const std::string& fileName, int width, int height);

  void OpenGfx(int x, int y, int width, int height, int flags) override;
  void GfxWindow(int value) override;
  void BrushColor(std::uint32_t colorRef) override;
  void GfxCLS() override;
  int ImageParam(const std::filesystem::path& file, int which) override;
  // Library units are pixels here.
  int GfxConvert(int axis, int pixels) override;
  int StretchImage(const std::filesystem::path& file, int width, int height) override;

  // The calls with a given name, in order.
  std::vector<ImagingCall> CallsNamed(std::string_view name) const;

  std::vector<ImagingCall> calls;

 private:
  std::map<std::string, std::pair<int, int>> sizes_;
};

}  // namespace qvm
