// The window's changes to the index, step by step, so that they can be taken back (undo) and
// made again (redo). Each step keeps the changes exactly as the index reported them, positions
// included, and takes them back in reverse order, each by its own inverse, so that undoing
// every step gives back the table byte for byte. The inverses and the redone changes reach the
// index's earlier observer (the crash journal) like any other change.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "index/ImageIndex.h"

namespace qvm {

class UndoHistory {
 public:
  UndoHistory() = default;
  ~UndoHistory() { StopListening(); }
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // Records every change made to `index` from now on; the observer it had before still sees
  // every change first. The index must outlive the listening.
  void Listen(ImageIndex& index);
  // Gives the index its earlier observer back; the steps are forgotten.
  void StopListening();

  // The changes between BeginStep and its EndStep are one step; pairs nested inside join the
  // outermost one. `label` names the step in the menu ("attach ace_harmon.jpg"); when empty it
  // is named after its changes. A change made outside any pair is a step of its own, a step
  // without changes is none, and a new step ends what could be redone.
  void BeginStep(std::string label = {});
  void EndStep();

  bool CanUndo() const { return depth_ == 0 && !done_.empty(); }
  bool CanRedo() const { return depth_ == 0 && !undone_.empty(); }
  // The name of the step that Undo would take back (Redo make again); "" when there is none.
  std::string UndoLabel() const { return CanUndo() ? done_.back().label : std::string(); }
  std::string RedoLabel() const { return CanRedo() ? undone_.back().label : std::string(); }

  // Takes the last step back. False, with nothing changed, when there is none or a step is
  // still open; false, with the history forgotten, when the index no longer allows it (the
  // table was changed by someone else meanwhile: what was taken back stays taken back).
  bool Undo();
  // Makes the last step taken back again; false as for Undo.
  bool Redo();

 private:
  struct Step {
    std::string label;
    std::vector<IndexChange> changes;
  };
  void Record(const IndexChange& change);
  void Forget();
  // Takes the last step of `from` back (or makes it again) and moves it to `to`.
  bool Replay(std::vector<Step>& from, std::vector<Step>& to, bool back);

  ImageIndex* index_ = nullptr;
  std::function<void(const IndexChange&)> passOn_;
  std::vector<Step> done_, undone_;
  Step open_;
  int depth_ = 0;
  bool replaying_ = false;  // Undo or Redo at work: their changes are no new step
};

// A step for the length of a scope: UndoStep step(w.undo); ... attach, remove ...
class UndoStep {
 public:
  explicit UndoStep(UndoHistory& history, std::string label = {}) : history_(history) {
    history_.BeginStep(std::move(label));
  }
  ~UndoStep() { history_.EndStep(); }
  UndoStep(const UndoStep&) = delete;
  UndoStep& operator=(const UndoStep&) = delete;

 private:
  UndoHistory& history_;
};

// The name of a step made of `changes`: "attach ace_harmon.jpg", "attach 3 pictures",
// "remove x.jpg", "replace x.jpg", "change a key" (names in CP1252, as the index holds them).
std::string StepLabel(const std::vector<IndexChange>& changes);

}  // namespace qvm
