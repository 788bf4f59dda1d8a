// The windows on the demo game, used as a user would: one table of scenarios, written once,
// and a driver per face that does what a scenario asks the way that face's user does it (Qt
// offscreen, Win32 under Wine's null driver).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/MatchList.h"
#include "images/PictureCodec.h"
#include "app/Wizard.h"
#include "tests/unit/TestFolder.h"

namespace qvm::test {

// Keys a scenario presses in the tree.
enum class Key { F4, ShiftF4, CtrlShiftF4, CtrlM, Left, CtrlZ, CtrlY, CtrlShiftZ, CtrlK };
// Keys a scenario presses while a crop frame is being placed.
enum class CropKey { Down, ShiftDown, Enter, Escape };

// The match dialog while it is open, as its own view shows it.
class MatchDialogView {
 public:
  virtual ~MatchDialogView() = default;
  virtual int Rows() = 0;
  virtual bool Checked(int row) = 0;
  virtual std::string Text(int row, MatchColumn column) = 0;  // CP1252
  // Checks or unchecks the row as a user does with the keyboard.
  virtual void Toggle(int row) = 0;
};

class DemoWindow {
 public:
  using MessageScript = std::function<MessageAnswer(std::string_view, const MessageStyle&)>;
  using FileScript = std::function<std::optional<FileChoice>(const OpenFileRequest&)>;

  virtual ~DemoWindow() = default;

  // A fresh folder per scenario with the demo game in `Game()`.
  const std::filesystem::path& Folder() const { return folder_.path(); }
  std::filesystem::path Game() const { return folder_ / "demo"; }
  // Writes the demo game into `game`; false when the generator cannot run here.
  virtual bool WriteDemo(const std::filesystem::path& game) = 0;
  // Runs the Linux build's CLI on `game`; true when it exits with `status`.
  virtual bool RunCli(const std::filesystem::path& game, const std::string& args, int status) = 0;

  // Opens the window on Game() and runs `act` in it. With `wholeRun` the program runs as it
  // does for users (start-up, the window, Exit once `act` is done, the index saved); otherwise
  // the window runs on the loaded game and goes without saving.
  virtual void Run(bool wholeRun, const std::function<void()>& act) = 0;
  virtual Wizard& W() = 0;

  // The user's hand.
  virtual void ClickNode(const std::vector<std::string>& path) = 0;
  virtual void ClickItem(int list, const std::string& text, bool ctrl = false) = 0;
  virtual void DoubleClickItem(int list, const std::string& text) = 0;
  virtual void ClickButton(int button) = 0;
  virtual void Press(Key key) = 0;
  // In the images list: keys that must not take the picture away (each face's look-alikes of
  // Delete), then Delete held down for `repeats` and released.
  virtual void PressKeysBesideDelete() = 0;
  virtual void PressDelete(int repeats) = 0;
  virtual void Drop(const std::vector<std::filesystem::path>& files) = 0;
  virtual void ChooseTreeMenu() = 0;   // "Show only those without a picture"
  virtual void PressInCrop(CropKey key) = 0;
  virtual void ChooseStrayMenu() = 0;  // "Match stray pictures..."
  // The find field: opened with `text` typed, Enter, Escape.
  virtual void FindType(const std::string& text) = 0;
  virtual void FindEnter() = 0;
  virtual void FindEscape() = 0;

  // Answers of the dialogs: message boxes, the open-file dialog, and the next match dialog
  // (`inside` runs while it is open, then "Attach checked" or "Cancel" is clicked).
  virtual void AnswerMessages(MessageScript script) = 0;
  virtual void AnswerFileDialog(FileScript script) = 0;
  virtual void AnswerMatchDialog(std::function<void(MatchDialogView&)> inside, bool attach) = 0;

  // What the window shows.
  virtual bool HasFocus(int control) = 0;
  virtual bool PreviewDrawn() = 0;
  virtual bool FindOpen() = 0;
  virtual bool FindNotFound() = 0;
  // "text: tip" for each item of the list shown in bold, in list order (UTF-8).
  virtual std::vector<std::string> Emphasised(int list) = 0;
  // The tooltips of a picture list's item, of a field ("" when none) and of a node (UTF-8).
  virtual std::string PictureTip(int list, const std::string& item) = 0;
  virtual std::string FieldTip(int field) = 0;
  virtual std::string NodeTip(NodeHandle node) = 0;
  // Whether the tree view shows the node at all, and marked.
  virtual bool ShowsNode(NodeHandle node) = 0;
  virtual bool ShowsMarked(NodeHandle node) = 0;
  // The crop frame while one is being placed (picture pixels).
  virtual std::optional<PixelRect> CropFrame() = 0;

 private:
  TempFolder folder_;
};

struct DemoScenario {
  const char* name;
  std::function<void(DemoWindow&)> run;
};
// A scenario shows as its name in test listings.
inline void PrintTo(const DemoScenario& scenario, std::ostream* out) { *out << scenario.name; }

// Every scenario, for each face to run:
//   INSTANTIATE_TEST_SUITE_P(DemoWindow, Fixture, ::testing::ValuesIn(test::DemoScenarios()),
//                            test::ScenarioName());
const std::vector<DemoScenario>& DemoScenarios();
struct ScenarioName {
  std::string operator()(const ::testing::TestParamInfo<DemoScenario>& scenario) const {
    return scenario.param.name;
  }
};

}  // namespace qvm::test
