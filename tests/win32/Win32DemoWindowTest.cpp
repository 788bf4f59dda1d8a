// The Win32 window on the demo game: the scenarios of tests/support/DemoScenarios.h driven with
// the messages the system sends (in-process under Wine's null driver), and what only the Win32
// window has (mnemonics, the dialog's keys, the system menu).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/PictureActions.h"
#include "app/Startup.h"
#include "app/win32/MainDialog.h"
#include "app/win32/WideText.h"
#include "gamedb/LoadGameDatabase.h"
#include "platform/Cp1252.h"
#include "platform/PathText.h"
#include "tests/support/DemoScenarios.h"
#include "tests/support/TreePath.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/win32/Win32TestUser.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& wide) {
  return Utf8FromCp1252(Cp1252FromWide(wide));
}

// Holds the modifier keys down, as the thread's keyboard state, while it lives.
class Modifiers {
 public:
  Modifiers(bool ctrl, bool shift) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    std::memcpy(state, saved_, sizeof state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(state);
  }
  ~Modifiers() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

// The match dialog's list view as the user sees it.
class Win32MatchView : public test::MatchDialogView {
 public:
  explicit Win32MatchView(HWND dialog)
      : view_(::GetDlgItem(dialog, Win32MatchDialog::kListId)) {}
  int Rows() override { return static_cast<int>(::SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0)); }
  bool Checked(int row) override {
    const auto state = static_cast<UINT>(
        ::SendMessageW(view_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  }
  std::string Text(int row, MatchColumn column) override {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = static_cast<int>(column);
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(view_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Cp1252FromWide(text);
  }
  void Toggle(int row) override {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
    ::SendMessageW(view_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    test::PressKey(view_, VK_SPACE);
  }

 private:
  HWND view_;
};

class Win32DemoWindow : public test::DemoWindow {
 public:
  ~Win32DemoWindow() override {
    Win32MessageBox::SetScript(nullptr);
    Win32FileDialog::SetScript(nullptr);
    Win32MatchDialog::SetOpenedHook(nullptr);
  }

  bool WriteDemo(const fs::path& game) override {
    const std::string generator = test::Quoted(QVM_DEMO_GAME);
    return test::UnderWine() && test::RunUnix("test -x " + generator) &&
           test::RunUnix(generator + " " + test::Quoted(test::UnixPath(game)) + " 2>/dev/null");
  }
  bool RunCli(const fs::path& game, const std::string& args, int status) override {
    return test::RunUnix(test::Quoted(QVM_CLI) + " -C " + test::Quoted(test::UnixPath(game)) +
                         " " + args + " >/dev/null; test $? -eq " + std::to_string(status));
  }

  void Run(bool wholeRun, const std::function<void()>& act) override {
    auto drive = [&](MainDialog& window) {
      window_ = &window;
      ::ShowWindow(window.Window(), SW_SHOW);
      ::SetForegroundWindow(window.Window());
      test::Pump();
      act();
      window_ = nullptr;
      if (!wholeRun) return;
      if (!window.Closed())
        ::SendMessageW(window.ControlWindow(id::kExitButton), BM_CLICK, 0, 0);
      window.Run();  // returns at once: the window is gone
    };
    if (wholeRun) {
      // As the program runs it: the window made while the game loads.
      test::RecordingMessageBox messages;
      EXPECT_EQ(RunWizard(SystemOs(), Game(), messages,
                          [&] { return MakeMainWindow(SystemOs(), drive); }),
                0);
      EXPECT_THAT(messages.texts, ::testing::IsEmpty());
      return;
    }
    NewPool();
    {
      GameDatabase db;
      const GamePaths paths = ResolveGamePaths(SystemOs(), Game());
      LoadGameDatabase(SystemOs(), paths, db);
      MainDialog window(SystemOs(), paths, db);
      drive(window);
    }
    ReleasePool();
  }
  Wizard& W() override { return window_->wizard(); }
  MainDialog& Window() { return *window_; }

  // Opens the node's branches, then clicks the node with the mouse.
  void ClickNode(const std::vector<std::string>& path) override {
    const NodeHandle node =
        test::NodeAtPath(W().tree, std::vector<std::string_view>(path.begin(), path.end()));
    ASSERT_NE(node, 0u) << path.back();
    HWND tree = window_->Tree().Window();
    for (NodeHandle up = W().tree.Parent(node); up; up = W().tree.Parent(up))
      ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND,
                     reinterpret_cast<LPARAM>(window_->Tree().ItemOf(up)));
    HTREEITEM item = window_->Tree().ItemOf(node);
    ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);  // the message takes the item in the rectangle
    ASSERT_TRUE(::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    test::Click(tree, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    ASSERT_EQ(W().c.itemsTree->Selection(), node) << path.back();
  }
  void ClickItem(int list, const std::string& text, bool ctrl) override {
    test::Click(window_->ControlWindow(list), ItemCenter(list, text),
                ctrl ? test::Keys::Ctrl : test::Keys::None);
  }
  void DoubleClickItem(int list, const std::string& text) override {
    test::DoubleClick(window_->ControlWindow(list), ItemCenter(list, text));
  }
  void ClickButton(int button) override {
    ::SendMessageW(window_->ControlWindow(button), BM_CLICK, 0, 0);
  }
  void Press(test::Key key) override {
    static const std::map<test::Key, std::pair<WPARAM, int>> keys = {
        {test::Key::F4, {VK_F4, 0}},           {test::Key::ShiftF4, {VK_F4, 1}},
        {test::Key::CtrlShiftF4, {VK_F4, 3}},  {test::Key::CtrlM, {'M', 2}},
        {test::Key::Left, {VK_LEFT, 0}},       {test::Key::CtrlZ, {'Z', 2}},
        {test::Key::CtrlY, {'Y', 2}},          {test::Key::CtrlShiftZ, {'Z', 3}},
        {test::Key::CtrlK, {'K', 2}},
    };
    const auto [code, modifiers] = keys.at(key);
    HWND tree = window_->Tree().Window();
    ::SetFocus(tree);
    const Modifiers held((modifiers & 2) != 0, (modifiers & 1) != 0);
    MSG down{tree, WM_KEYDOWN, code, 1, 0, {}};
    window_->Process(down);
    test::Pump();
  }
  void PressInCrop(test::CropKey key) override {
    static const std::map<test::CropKey, UINT> keys = {
        {test::CropKey::Down, VK_DOWN}, {test::CropKey::ShiftDown, VK_DOWN},
        {test::CropKey::Enter, VK_RETURN}, {test::CropKey::Escape, VK_ESCAPE}};
    const Modifiers held(false, key == test::CropKey::ShiftDown);
    test::PressKey(window_->Crop()->Window(), keys.at(key));
  }
  std::optional<PixelRect> CropFrame() override {
    const CropWindow* crop = window_->Crop();
    return crop ? std::optional(crop->Frame().Frame()) : std::nullopt;
  }
  void PressKeysBesideDelete() override {
    HWND images = window_->ControlWindow(id::kImagesList);
    test::PressKey(images, VK_SPACE);
    // A Delete pressed elsewhere and released here.
    ::SendMessageW(images, WM_KEYUP, VK_DELETE, 1 | (1u << 30) | (1u << 31));
  }
  void PressDelete(int repeats) override {
    test::PressKey(window_->ControlWindow(id::kImagesList), VK_DELETE, repeats);
  }
  // Files dropped as a file manager drops them: an HDROP in global memory.
  void Drop(const std::vector<fs::path>& files) override {
    std::wstring names;
    for (const fs::path& file : files) names += file.wstring() + L'\0';
    names += L'\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(memory);
    ::SendMessageW(window_->ControlWindow(id::kImagesList), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(memory), 0);
    test::Pump();  // the files are attached after the drop
  }
  void ChooseTreeMenu() override { window_->Bulk().Run(Win32BulkCommands::kOnlyMissingItem); }
  void ChooseStrayMenu() override { window_->Bulk().Run(Win32BulkCommands::kMatchItem); }
  void FindType(const std::string& text) override {
    window_->Find().Open();
    ::SetWindowTextW(window_->Find().Field(), WideFromCp1252(text).c_str());
  }
  void FindEnter() override { FindKey(VK_RETURN); }
  void FindEscape() override { FindKey(VK_ESCAPE); }

  // A message box takes the keyboard while it is open, as the system's own does.
  void AnswerMessages(MessageScript script) override {
    Win32MessageBox::SetScript([script](std::string_view text, const MessageStyle& style) {
      ::SetFocus(nullptr);
      return script(text, style);
    });
  }
  void AnswerFileDialog(FileScript script) override {
    Win32FileDialog::SetScript(std::move(script));
  }
  void AnswerMatchDialog(std::function<void(test::MatchDialogView&)> inside, bool attach) override {
    Win32MatchDialog::SetOpenedHook([inside, attach](HWND dialog) {
      Win32MatchView view(dialog);
      inside(view);
      ::SendMessageW(::GetDlgItem(dialog, attach ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
    });
  }

  bool HasFocus(int control) override { return ::GetFocus() == window_->ControlWindow(control); }
  bool PreviewDrawn() override {
    PreviewLibrary& preview = window_->Preview();
    EXPECT_TRUE(preview.WaitIdle());
    const std::size_t centre = static_cast<std::size_t>(preview.AreaHeight() / 2) *
                                   static_cast<std::size_t>(preview.AreaWidth()) +
                               static_cast<std::size_t>(preview.AreaWidth() / 2);
    return preview.Canvas().at(centre) != 0xFF141450;
  }
  bool FindOpen() override { return window_->Find().IsOpen(); }
  bool FindNotFound() override { return window_->Find().NotFound(); }
  std::vector<std::string> Emphasised(int list) override {
    std::vector<std::string> out;
    const Win32ListBox& box = window_->List(list);
    for (int i = 0; i < box.Count(); ++i)
      if (auto tip = box.EmphasisTip(i))
        out.push_back(Utf8FromCp1252(box.ItemText(i)) + ": " + Utf8FromCp1252(*tip));
    return out;
  }
  std::string PictureTip(int list, const std::string& item) override {
    return Utf8(window_->Tips().TextFor(window_->ControlWindow(list), ItemCenter(list, item)));
  }
  std::string FieldTip(int field) override {
    return Utf8(window_->Tips().TextFor(window_->ControlWindow(field), {}));
  }
  // As the tree asks its parent for an item's tip.
  std::string NodeTip(NodeHandle node) override {
    wchar_t text[INFOTIPSIZE] = {};
    NMTVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = window_->Tree().Window();
    tip.hdr.idFrom = id::kItemsTree;
    tip.hdr.code = TVN_GETINFOTIPW;
    tip.hItem = window_->Tree().ItemOf(node);
    tip.lParam = static_cast<LPARAM>(node);
    tip.pszText = text;
    tip.cchTextMax = INFOTIPSIZE;
    ::SendMessageW(window_->Window(), WM_NOTIFY, id::kItemsTree, reinterpret_cast<LPARAM>(&tip));
    return Utf8(text);
  }
  bool ShowsNode(NodeHandle node) override { return window_->Tree().ItemOf(node) != nullptr; }
  bool ShowsMarked(NodeHandle node) override {
    window_->Tree().ItemOf(node);
    return window_->Tree().ShowsMarked(node);
  }

 private:
  POINT ItemCenter(int list, const std::string& text) {
    const int index = window_->List(list).FindExact(-1, text);
    EXPECT_GE(index, 0) << text;
    return test::ListItemCenter(window_->ControlWindow(list), index);
  }
  void FindKey(WPARAM key) {
    MSG down{window_->Find().Field(), WM_KEYDOWN, key, 1, 0, {}};
    window_->Process(down);
    test::Pump();
  }

  MainDialog* window_ = nullptr;
};

class Win32DemoScenario : public ::testing::TestWithParam<test::DemoScenario> {};

TEST_P(Win32DemoScenario, Runs) {
  Win32DemoWindow window;
  if (!window.WriteDemo(window.Game()))
    GTEST_SKIP() << "the demo game generator of the Linux build is not there";
  GetParam().run(window);
}

INSTANTIATE_TEST_SUITE_P(DemoWindow, Win32DemoScenario, ::testing::ValuesIn(test::DemoScenarios()),
                         test::ScenarioName());

TEST(Win32DemoWindowTest, MnemonicsTabEnterEscapeTheSystemMenuAndAltF4) {
  Win32DemoWindow demo;
  if (!demo.WriteDemo(demo.Game()))
    GTEST_SKIP() << "the demo game generator of the Linux build is not there";
  demo.Run(false, [&] {
    MainDialog& window = demo.Window();
    HWND tree = window.Tree().Window();
    demo.ClickNode({"Wrestlers", "A", "Ace Harmon"});
    // A label's letter goes to the control it names; "R" is shared with a button: the focus
    // moves between the two without clicking.
    const struct {
      wchar_t letter;
      int focused;
    } mnemonics[] = {
        {L'm', id::kMembersList},   {L'i', id::kImagesList}, {L's', id::kStrayList},
        {L'c', id::kIndexLineText}, {L'r', id::kRecordText}, {L'R', id::kRefreshButton},
        {L'r', id::kRecordText},
    };
    for (const auto& m : mnemonics) {
      MSG alt{tree, WM_SYSCHAR, m.letter, 1 << 29, 0, {}};
      window.Process(alt);
      test::Pump();
      EXPECT_EQ(::GetFocus(), window.ControlWindow(m.focused)) << static_cast<char>(m.letter);
    }
    // Tab visits the visible, enabled controls in the layout's order (the add button disabled).
    demo.ClickNode({"Wrestlers"});
    ::SetFocus(tree);
    const int order[] = {id::kMembersList,   id::kRecordText,    id::kImagesList,
                         id::kIndexLineText, id::kExitButton,    id::kImageInfoText,
                         id::kStrayList,     id::kRefreshButton, id::kItemsTree};
    for (int next : order) {
      MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
      window.Process(tab);
      test::Pump();
      EXPECT_EQ(::GetFocus(), window.ControlWindow(next)) << next;
    }
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      MSG down{tree, WM_KEYDOWN, key, 1, 0, {}};
      window.Process(down);
      test::Pump();
      EXPECT_FALSE(window.Closed()) << key;
    }
    // The system menu opens the match dialog.
    wchar_t text[64] = {};
    ::GetMenuStringW(::GetSystemMenu(window.Window(), FALSE), Win32BulkCommands::kMatchSysCommand,
                     text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), L"Match stray pictures...\tCtrl+M");
    int rows = 0;
    demo.AnswerMatchDialog([&](test::MatchDialogView& view) { rows = view.Rows(); }, false);
    ::SendMessageW(window.Window(), WM_SYSCOMMAND, Win32BulkCommands::kMatchSysCommand, 0);
    EXPECT_EQ(rows, 17);
    // Alt+F4 closes the window from the tree, which keeps most keys to itself.
    ::SetFocus(tree);
    MSG altF4{tree, WM_SYSKEYDOWN, VK_F4, 1 << 29, 0, {}};
    window.Process(altF4);
    EXPECT_TRUE(window.Closed());
  });
}

}  // namespace
}  // namespace qvm
