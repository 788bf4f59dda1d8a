// The control layer on Qt widgets: a control's text, state and, for the list boxes, the sorted
// extended-selection list the core expects. The program's own calls never notify; the widgets
// report only what the user did.
#pragma once

#include <QListWidget>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace qvm {

// Text, enabled and visible state of any widget, for any of the control interfaces.
template <class Interface>
class QtWidgetControl : public Interface {
 public:
  explicit QtWidgetControl(QWidget* widget) : widget_(widget) {}

  void SetText(std::string_view text) override;
  std::string Text() const override;
  void SetEnabled(bool enabled) override {
    if (widget_) widget_->setEnabled(enabled);
  }
  bool IsEnabled() const override { return widget_ && widget_->isEnabled(); }
  // The control's own state, whether or not its window is on screen yet.
  void SetVisible(bool visible) override {
    if (widget_) widget_->setVisible(visible);
  }
  bool IsVisible() const override { return widget_ && !widget_->isHidden(); }

  QWidget* Widget() const { return widget_; }

 protected:
  QPointer<QWidget> widget_;

 private:
  // The bytes last set and how the widget showed them: read back unchanged while the widget
  // still shows that, so texts survive the trip through the screen byte for byte.
  std::string lastBytes_;
  QString lastShown_;
};

using QtControl = QtWidgetControl<Control>;

// A list widget that tells apart the user's changes of the selection from the program's: it
// compares the current item and the selection before and after each mouse or key event.
class ListWidget : public QListWidget {
  Q_OBJECT
 public:
  explicit ListWidget(QWidget* parent = nullptr);

  // Files dragged onto the list from elsewhere: a drag of local files only is taken when
  // `accepts` agrees for its files, and a drop of it reports them through filesDropped.
  using FileDropFilter = std::function<bool(const std::vector<std::filesystem::path>& files)>;
  void AcceptFileDrops(FileDropFilter accepts);

 signals:
  void userSelectionChanged();
  void userDoubleClicked();
  void filesDropped(const std::vector<std::filesystem::path>& files);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct State {
    int current = -1;
    std::vector<int> selected;
    bool operator==(const State&) const = default;
  };
  State Snapshot() const;
  template <class Handler>
  void Tracked(Handler&& handler);
  // The dragged files, when the drag may be dropped here; empty otherwise.
  std::vector<std::filesystem::path> DroppableFiles(const QDropEvent* event) const;
  bool tracking_ = false;
  FileDropFilter acceptsFiles_;
};

// A sorted list box with extended selection over a ListWidget. Items keep their CP1252 bytes.
class QtListBox : public QtWidgetControl<ListBox> {
 public:
  explicit QtListBox(ListWidget* list) : QtWidgetControl<ListBox>(list), list_(list) {}

  int Count() const override;
  int Current() const override;
  int SetCurrent(int index) override;
  int SelCount() const override;
  std::vector<int> SelItems(int maxCount) const override;
  int SetSel(bool select, int index) override;
  int FindExact(int start, std::string_view text) const override;
  std::string ItemText(int index) const override;
  int AddString(std::string_view text) override;
  int DeleteString(int index) override;
  void ResetContent() override;
  // Emphasised items are bold; their tip is the item's tooltip text (Qt::ToolTipRole), which a
  // picture tip shows beneath the picture.
  void SetEmphasis(const std::vector<Emphasis>& emphasis) override;

 private:
  bool Valid(int index) const { return list_ && index >= 0 && index < list_->count(); }
  std::string Bytes(int index) const;
  // The first row whose text sorts at or after `text`.
  int LowerBound(std::string_view text) const;
  // Shows `item` emphasised with the tip of its text, or plain when its text has none.
  void ShowEmphasis(QListWidgetItem* item, std::string_view text) const;
  QPointer<ListWidget> list_;
  std::map<std::string, std::string, std::less<>> emphasis_;  // text -> tip
};

}  // namespace qvm

namespace qvm {
extern template class QtWidgetControl<Control>;
extern template class QtWidgetControl<ListBox>;
extern template class QtWidgetControl<TreeView>;
}  // namespace qvm
