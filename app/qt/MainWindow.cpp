#include "app/qt/MainWindow.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

#include "app/ImageOperations.h"
#include "app/Selection.h"
#include "app/Startup.h"
#include "app/StrayList.h"
#include "app/qt/BulkCommands.h"
#include "app/qt/ClippedTextTip.h"
#include "app/qt/KeyReleaseFilter.h"
#include "app/qt/PictureTips.h"
#include "app/qt/PreviewActions.h"
#include "app/qt/QtText.h"
#include "app/qt/TreeFindBar.h"
#include "app/qt/UndoCommands.h"
#include "codec/PictureCodecs.h"
#include "images/MediaFile.h"
#include "images/PictureEdits.h"
#include "images/StrayImages.h"
#include "platform/Os.h"

// The icons live in the static GUI library; nothing else would pull them into the program.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace qvm {
namespace {

enum class Role { Tree, List, ReadOnlyLine, Line, MultiLine, Label, Button };

struct ControlSpec {
  int id;
  Role role;
  const char* text;
  int x, y, w, h;  // dialog units
};

// In the order of creation, which is also the tab order.
constexpr ControlSpec kControls[] = {
    {id::kItemsTree, Role::Tree, "Items", 3, 4, 150, 326},
    {id::kMembersList, Role::List, "", 165, 42, 125, 85},
    {id::kRecordText, Role::ReadOnlyLine, "Control", 165, 14, 124, 11},
    {id::kImagesList, Role::List, "", 165, 144, 125, 52},
    {id::kAddImagesButton, Role::Button, "&Add Image(s) From MEDIA folder", 165, 198, 125, 15},
    {id::kIndexLineText, Role::MultiLine, "", 167, 313, 206, 17},
    {id::kMembersLabel, Role::Label, "&Members", 167, 32, 100, 10},
    {id::kRecordLabel, Role::Label, "&Record You're Editing", 167, 4, 100, 10},
    {id::kImagesLabel, Role::Label, "&Images For Selection", 167, 134, 100, 10},
    {id::kIndexLineLabel, Role::Label, "&Current Selection As It Will Appear in INDEX.DAT", 167,
     302, 163, 10},
    {id::kExitButton, Role::Button, "E&xit", 420, 310, 75, 20},
    {id::kImageInfoText, Role::MultiLine, "", 300, 242, 206, 55},
    {id::kStrayLabel, Role::Label, "&Stray Images In MEDIA Folder", 167, 220, 100, 10},
    {id::kStrayList, Role::List, "", 165, 229, 125, 52},
    {id::kRefreshButton, Role::Button, "&Refresh Files", 165, 283, 125, 15},
    {id::kMatchText, Role::Line, "", 166, 72, 115, 15},
    {id::kShowText, Role::Line, "", 166, 42, 115, 15},
    {id::kShowLabel, Role::Label, "S&how", 166, 30, 100, 10},
    {id::kMatchLabel, Role::Label, "M&atch", 166, 61, 100, 10},
    {id::kSaveChangesButton, Role::Button, "Sa&ve Changes", 166, 91, 125, 15},
};

// A label's mnemonic moves the focus to the control it names.
constexpr std::pair<int, int> kBuddies[] = {
    {id::kMembersLabel, id::kMembersList}, {id::kRecordLabel, id::kRecordText},
    {id::kImagesLabel, id::kImagesList},   {id::kIndexLineLabel, id::kIndexLineText},
    {id::kStrayLabel, id::kStrayList},     {id::kShowLabel, id::kShowText},
    {id::kMatchLabel, id::kMatchText},
};

// The preview area, in dialog units.
constexpr int kPreviewX = 297, kPreviewY = 5, kPreviewW = 200, kPreviewH = 230;
constexpr int kOpenGfxFlags = 2048;
constexpr int kGfxWindowValue = 5;

// One 8-point sans serif font, named so that every machine lays the window out alike.
QFont WindowFont() {
  QFont font(QStringLiteral("Liberation Sans"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

// Read-only text shows on the window's own colour, as the rest of the window's texts.
void UseWindowBackground(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  widget->setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(Os& os, const GamePaths& paths, GameDatabase& db, QWidget* parent)
    : MainWindow(os, parent) {
  ShowGame(paths, db);
}

MainWindow::MainWindow(Os& os, QWidget* parent)
    : QWidget(parent),
      units_(DialogUnits::FromFont(WindowFont())),
      fileDialog_(this),
      imaging_(this, os),
      os_(os) {
  // A dialog-like window: title bar, system menu, minimise box; no maximise box, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(WindowFont());
  setWindowTitle(ToQString(ProgramTitle()));
  InitResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/102/32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/icons/102/16.png"), QSize(16, 16));
  setWindowIcon(icon);
  move(units_.X(287), units_.Y(106));
  setFixedSize(units_.X(508), units_.Y(350));

  CreateControls();
  codec_ = MakePictureCodec();  // crops, upright copies, JPEG copies
}

void MainWindow::ShowGame(const GamePaths& paths, GameDatabase& db) {
  Os& os = os_;
  wizard_.reset(new Wizard{.os = os, .paths = paths, .db = db, .c = {}, .currentName = {}});
  wizard_->c.itemsTree = static_cast<QtTreeView*>(ControlById(id::kItemsTree));
  wizard_->c.membersList = static_cast<QtListBox*>(ControlById(id::kMembersList));
  wizard_->c.recordText = ControlById(id::kRecordText);
  wizard_->c.imagesList = static_cast<QtListBox*>(ControlById(id::kImagesList));
  wizard_->c.addImagesButton = ControlById(id::kAddImagesButton);
  wizard_->c.indexLineText = ControlById(id::kIndexLineText);
  wizard_->c.imageInfoText = ControlById(id::kImageInfoText);
  wizard_->c.strayList = static_cast<QtListBox*>(ControlById(id::kStrayList));
  wizard_->c.showText = ControlById(id::kShowText);
  wizard_->c.matchText = ControlById(id::kMatchText);
  wizard_->c.host = this;
  wizard_->c.messages = &messages_;
  wizard_->c.fileDialog = &fileDialog_;
  wizard_->c.imaging = &imaging_;

  // The preview area, placed in pixels.
  QRect preview = units_.Rect(kPreviewX, kPreviewY, kPreviewW, kPreviewH);
  wizard_->previewWidth = preview.width();
  wizard_->previewHeight = preview.height();
  imaging_.OpenGfx(preview.x(), preview.y(), preview.width(), preview.height(), kOpenGfxFlags);
  imaging_.GfxWindow(kGfxWindowValue);

  // The view reads the tree in place, a branch's rows only when it is opened.
  ShowCategoryTree(*wizard_);

  auto* treeView = static_cast<QTreeView*>(WidgetById(id::kItemsTree));
  findBar_ = new TreeFindBar(treeView, treeModel_, wizard_->tree, this);
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] { findBar_->Open(QString()); });
  bulk_ = new BulkCommands(this, *wizard_, treeView, List(id::kStrayList));

  // The Delete key acts on its release, once, never while it is held down.
  imagesKeyHandler_ = new KeyReleaseFilter(WidgetById(id::kImagesList), Qt::Key_Delete,
                                           [this] { OnImagesListKeyUp(*wizard_, kDeleteKey); });

  // Pictures dropped from a file manager onto the images list.
  auto* images = List(id::kImagesList);
  images->AcceptFileDrops(
      [this](const auto& files) { return AcceptsDroppedFiles(*wizard_, files); });
  connect(images, &ListWidget::filesDropped, this, [this](const auto& files) {
    // After the drop has ended: a message must not keep the dragging program waiting.
    QTimer::singleShot(0, this, [this, files] { AttachDroppedFiles(*wizard_, files); });
  });

  tips_ = new PictureTips(this, os, [&os, &paths](const std::string& name) {
    return ResolveMediaFile(os, paths, name);
  });
  tips_->Watch(images);
  tips_->Watch(List(id::kStrayList));

  // Every change from here on can be taken back.
  wizard_->undo.Listen(db.imageIndex);
  // The tree's and the stray list's menus (BulkCommands) hold the entries too.
  AddUndoCommands(this, *wizard_, {images});

  for (int field : {id::kRecordText, id::kIndexLineText, id::kImageInfoText})
    ShowFullTextWhenClipped(WidgetById(field));

  // Crops, upright copies and JPEG copies: the preview's menu, Ctrl+K, the Add dialog.
  wizard_->c.codec = codec_.get();
  previewActions_ = new PreviewActions(this, *wizard_, imaging_.Area());

  wizard_->c.addImagesButton->SetEnabled(false);
  HideControl(*wizard_, id::kShowText);
  HideControl(*wizard_, id::kMatchText);

  ScanStrayImages(*wizard_);
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateControls() {
  for (const ControlSpec& spec : kControls) {
    QWidget* widget = nullptr;
    std::unique_ptr<Control> control;
    switch (spec.role) {
      case Role::Tree: {
        auto* view = new QTreeView(this);
        treeModel_ = new TreeModel(view);
        view->setModel(treeModel_);
        view->setHeaderHidden(true);
        view->setRootIsDecorated(true);
        ShowTreeLines(view);
        KeepSelectionOnBlankClicks(view);
        view->setItemsExpandable(true);
        view->setUniformRowHeights(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setDragDropMode(QAbstractItemView::NoDragDrop);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Long names are shown whole and scrolled to, not cut short with an ellipsis.
        view->setTextElideMode(Qt::ElideNone);
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        ConnectTree(view);
        control = std::make_unique<QtTreeView>(view, treeModel_);
        widget = view;
        break;
      }
      case Role::List: {
        auto* list = new ListWidget(this);
        ConnectList(list, spec.id);
        control = std::make_unique<QtListBox>(list);
        widget = list;
        break;
      }
      case Role::ReadOnlyLine:
      case Role::Line: {
        auto* edit = new QLineEdit(this);
        if (spec.role == Role::ReadOnlyLine) {
          edit->setReadOnly(true);
          UseWindowBackground(edit);
        }
        control = std::make_unique<QtControl>(edit);
        widget = edit;
        break;
      }
      case Role::MultiLine: {
        auto* edit = new QPlainTextEdit(this);
        edit->setReadOnly(true);
        edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        edit->setFocusPolicy(Qt::StrongFocus);
        edit->setTabChangesFocus(true);
        edit->setFrameShape(QFrame::NoFrame);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setTabStopDistance(units_.X(32));
        edit->document()->setDocumentMargin(1);
        UseWindowBackground(edit);
        control = std::make_unique<QtControl>(edit);
        widget = edit;
        break;
      }
      case Role::Label: {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        control = std::make_unique<QtControl>(label);
        widget = label;
        break;
      }
      case Role::Button: {
        auto* button = new QPushButton(this);
        button->setAutoDefault(false);
        int id = spec.id;
        connect(button, &QPushButton::clicked, this,
                [this, id] { Dispatch(MessageKind::Command, id, code::kClicked); });
        control = std::make_unique<QtControl>(button);
        widget = button;
        break;
      }
    }
    widget->setObjectName(QString::number(spec.id));
    widget->setGeometry(units_.Rect(spec.x, spec.y, spec.w, spec.h));
    control->SetText(spec.text);
    widgets_[spec.id] = widget;
    controls_[spec.id] = std::move(control);
  }
  for (auto [labelId, buddyId] : kBuddies)
    static_cast<QLabel*>(WidgetById(labelId))->setBuddy(WidgetById(buddyId));
}

void MainWindow::ConnectTree(QTreeView* view) {
  // Every event of the tree the user sees reaches the selection, which filters repeats.
  auto notify = [this] { Dispatch(MessageKind::Notify, id::kItemsTree, 0); };
  connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [view, notify](const QModelIndex& current) {
            // The node that got the focus is shown selected, too.
            if (current.isValid() && !view->selectionModel()->isSelected(current))
              view->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
            notify();
          });
  connect(view, &QTreeView::clicked, this, notify);
  connect(view, &QTreeView::expanded, this, notify);
  connect(view, &QTreeView::collapsed, this, notify);
}

void MainWindow::ConnectList(ListWidget* list, int controlId) {
  connect(list, &ListWidget::userSelectionChanged, this,
          [this, controlId] { Dispatch(MessageKind::Command, controlId, code::kSelChange); });
  connect(list, &ListWidget::userDoubleClicked, this,
          [this, controlId] { Dispatch(MessageKind::Command, controlId, code::kDoubleClick); });
}

Control* MainWindow::ControlById(int controlId) {
  auto found = controls_.find(controlId);
  return found == controls_.end() ? nullptr : found->second.get();
}

QWidget* MainWindow::WidgetById(int controlId) const {
  auto found = widgets_.find(controlId);
  return found == widgets_.end() ? nullptr : found->second;
}

ListWidget* MainWindow::List(int controlId) const {
  return static_cast<ListWidget*>(WidgetById(controlId));
}

void MainWindow::Dispatch(MessageKind kind, int controlId, int code) {
  if (!wizard_) return;  // the controls are being built
  if (observer_) observer_(kind, controlId, code);
  if (HandleEvent(*wizard_, kind, controlId, code) == Operation::CloseWindow) {
    // The images list gets its own key handling back before the window goes.
    imagesKeyHandler_->Detach();
    close();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}

namespace {

void Run(MainWindow& window) {
  QEventLoop loop;
  QObject::connect(&window, &MainWindow::closed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  window.show();
  window.raise();
  window.activateWindow();
  loop.exec();
}

}  // namespace

void RunMainWindow(Os& os, const GamePaths& paths, GameDatabase& db) {
  MainWindow window(os, paths, db);
  Run(window);
}

MainWindowRun MakeMainWindow(Os& os) {
  auto window = std::make_shared<MainWindow>(os);
  return [window](const GamePaths& paths, GameDatabase& db) {
    window->ShowGame(paths, db);
    Run(*window);
  };
}

}  // namespace qvm
