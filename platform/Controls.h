// The operations through which the core reads and changes the window's controls. Two
// implementations exist: in memory (unit tests) and Qt (the window). Texts are CP1252.
// The program's own calls never send notifications; only the user's actions do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvm {

// Opaque non-zero handle of a tree node, stable for the run; 0 means no node.
using NodeHandle = std::uintptr_t;

// Control identifiers of the main window; the dispatch addresses controls by them.
namespace id {
inline constexpr int kItemsTree = 1001;
inline constexpr int kMembersList = 1002;
inline constexpr int kRecordText = 1004;
inline constexpr int kImagesList = 1005;
inline constexpr int kAddImagesButton = 1006;
inline constexpr int kIndexLineText = 1008;
inline constexpr int kMembersLabel = 1010;
inline constexpr int kRecordLabel = 1011;
inline constexpr int kImagesLabel = 1012;
inline constexpr int kIndexLineLabel = 1013;
inline constexpr int kExitButton = 1014;
inline constexpr int kImageInfoText = 1015;
inline constexpr int kStrayLabel = 1016;
inline constexpr int kStrayList = 1017;
inline constexpr int kRefreshButton = 1018;
inline constexpr int kMatchText = 1019;
inline constexpr int kShowText = 1020;
inline constexpr int kShowLabel = 1021;
inline constexpr int kMatchLabel = 1022;
inline constexpr int kSaveChangesButton = 1025;
}  // namespace id

// Any control: its window text, enabled and visible state.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
};

// A sorted list box with extended selection: the current item (focus) is kept apart from the
// set of selected items. Indexes count from 0; -1 means none. Inserting or deleting other items
// leaves the current item and the selection on the same items; deleting the current item
// passes the focus to the item that takes its place (the last one when it was last). Left to
// the toolkit: which item has the focus before anything set it, and whether a click that
// changes nothing notifies. tests/support/ListBoxSuite.h holds every implementation to
// this contract.
class ListBox : public Control {
 public:
  virtual int Count() const = 0;
  virtual int Current() const = 0;
  // Makes `index` the current item and selects it; items already selected stay selected.
  // -1 leaves no item current and deselects every item. A bad index changes nothing and gives
  // -1.
  virtual int SetCurrent(int index) = 0;
  virtual int SelCount() const = 0;
  // Indexes of the selected items in list order, at most `maxCount`.
  virtual std::vector<int> SelItems(int maxCount) const = 0;
  // Selects or deselects one item, or every item with index -1. Returns -1 for a bad index.
  virtual int SetSel(bool select, int index) = 0;
  // First item after `start` equal to `text` without regard to case, wrapping; -1 if none.
  virtual int FindExact(int start, std::string_view text) const = 0;
  // The item's text; index < 0 means the current item; "" when there is no such item.
  virtual std::string ItemText(int index) const = 0;
  // Inserts at the place the list order gives; returns the new item's index.
  virtual int AddString(std::string_view text) = 0;
  // Removes the item at a 0-based index (callers that count from 1 subtract one).
  virtual int DeleteString(int index) = 0;
  virtual void ResetContent() = 0;

  // A text to make stand out, and a line saying why.
  struct Emphasis {
    std::string text;
    std::string tip;
  };
  // Items whose text equals one of these (byte for byte) are shown emphasised (bold), their tip
  // added to their tooltip. Replaces what was emphasised before, and holds for items inserted
  // later until the next call (emptying the list keeps it). The items' order never changes.
  virtual void SetEmphasis(const std::vector<Emphasis>& emphasis) = 0;
};

// A tree of texts as a tree view shows it, read-only and unchanging while a view shows it.
// Nodes are numbered from 1 (their handles); 0 stands for the top level. A view asks only for
// what it draws, so a branch's children can be inserted when it is first opened.
class TreeNodes {
 public:
  virtual ~TreeNodes() = default;
  virtual std::size_t NodeCount() const = 0;
  // The node's children in order (node 0: the top-level nodes); empty for an unknown node.
  virtual std::span<const NodeHandle> Children(NodeHandle node) const = 0;
  // 0 for a top-level node and for an unknown one.
  virtual NodeHandle Parent(NodeHandle node) const = 0;
  // The node's place among its parent's children; -1 for an unknown node and for a node the
  // nodes leave out (a filter): such a node is no child of its parent.
  virtual int Row(NodeHandle node) const = 0;
  // The node's full text; "" for an unknown node.
  virtual std::string_view Text(NodeHandle node) const = 0;
  // What makes the node stand out, in a few words for assistive technology; empty for none.
  // A view draws a marked node apart by more than colour.
  virtual std::string_view Mark(NodeHandle) const { return {}; }
  // The node's tooltip: its text unless the nodes say more.
  virtual std::string Tip(NodeHandle node) const { return std::string(Text(node)); }

  bool Contains(NodeHandle node) const { return node >= 1 && node <= NodeCount(); }
  // A node of these nodes that is not left out.
  bool Shows(NodeHandle node) const { return Contains(node) && Row(node) >= 0; }
  // A node shows an expand button exactly when it has children.
  bool HasChildren(NodeHandle node) const { return !Children(node).empty(); }
};

// The entity tree: a view of a TreeNodes that reports which node the user selected.
class TreeView : public Control {
 public:
  // Shows `nodes`, every node collapsed and none selected. The view keeps a reference: `nodes`
  // must stay alive and unchanged while the view shows it.
  virtual void SetNodes(const TreeNodes& nodes) = 0;
  // The selected node; 0 when none.
  virtual NodeHandle Selection() const = 0;
  // The nodes' marks and tips changed (the nodes did not): the view draws them anew.
  virtual void MarksChanged() = 0;
  // Opens every branch above `node`, selects it and scrolls it into view. Whether the view
  // notifies is left to the toolkit: the caller runs the selection itself, which filters
  // repeats.
  virtual void GoTo(NodeHandle node) = 0;
  // A short note beside the selected node that goes by itself (a tooltip).
  virtual void ShowNote(std::string_view text) = 0;
};

// Message boxes: no owner, the program title as caption.
struct MessageStyle {
  bool yesNo = false;        // Yes and No instead of a single OK
  bool exclamation = false;  // the exclamation icon
  bool defaultNo = false;    // No is the default button
};
enum class MessageAnswer { Ok, Yes, No };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual MessageAnswer Show(std::string_view text, const MessageStyle& style = {}) = 0;
};

// What the open-file dialog asks for and what it answers.
struct OpenFileRequest {
  std::string title;               // "QVM 7 Visualizer"
  std::filesystem::path startFolder;
  // (description, pattern) pairs; patterns match without regard to case.
  std::vector<std::pair<std::string, std::string>> filters;
  std::string initialName;  // what the file-name box shows when the dialog opens
  bool multiSelect = true;
  bool mustExist = true;
};
struct FileChoice {
  std::filesystem::path sourceFolder;           // the folder the files were picked in
  std::vector<std::filesystem::path> names;     // bare file names, in the dialog's order
};

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Empty optional when the user cancelled.
  virtual std::optional<FileChoice> ChooseImageFiles(const OpenFileRequest& request) = 0;
};

// The seven calls the preview needs of the imaging library.
class ImagingLibrary {
 public:
  virtual ~ImagingLibrary() = default;
  virtual void OpenGfx(int x, int y, int width, int height, int flags) = 0;
  virtual void GfxWindow(int value) = 0;
  // colour as a COLORREF: red in the low byte, then green, then blue.
  virtual void BrushColor(std::uint32_t colorRef) = 0;
  virtual void GfxCLS() = 0;
  // which 1: width, 2: height, in pixels; 0 for a file that is missing or cannot be read.
  virtual int ImageParam(const std::filesystem::path& file, int which) = 0;
  virtual int GfxConvert(int axis, int pixels) = 0;
  virtual int StretchImage(const std::filesystem::path& file, int width, int height) = 0;
};

// Reaches a control of the main window by its identifier (show, hide, enable).
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual Control* ControlById(int controlId) = 0;
};

}  // namespace qvm
