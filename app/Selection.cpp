#include "app/Selection.h"

#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "app/ImageList.h"
#include "app/Preview.h"
#include "app/StrayList.h"
#include "tree/CategoryTree.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

// The record of `kind` that an entity node shows: its number from the tree, looked up in the
// table. nullptr when the node is no such entity or its number is outside the table.
template <class Record>
const Record* FindRecord(const Wizard& w, const std::vector<Record>& table, RecordKind kind,
                         NodeHandle node) {
  const int number = RecordOf(w.tree, node, kind);
  if (number < 1 || static_cast<std::size_t>(number) > table.size()) return nullptr;
  return &table[static_cast<std::size_t>(number) - 1];
}

// Every handler starts alike: the MembersList emptied, then the record looked up.
template <class Record>
const Record* StartHandler(Wizard& w, const std::vector<Record>& table, RecordKind kind,
                           NodeHandle node) {
  w.c.membersList->ResetContent();
  const Record* record = FindRecord(w, table, kind, node);
  if (!record) w.c.messages->Show(kNodeNotFoundMessage);
  return record;
}

// A wrestler, manager or title: its names as members, the first (in list order) selected and
// its images listed, then the record's name as the key line.
void ShowNamedRecord(Wizard& w, Text name, const std::vector<Alias>* aliases, RecordKind kind) {
  w.c.imagesList->ResetContent();
  w.currentName = std::string(name);
  ListBox& members = *w.c.membersList;
  if (!aliases || aliases->size() == 1) {
    members.AddString(name);
  } else {
    for (const Alias& alias : *aliases) members.AddString(alias.text);
  }
  if (members.SetCurrent(0) == -1) w.c.messages->Show(kSelectErrorMessage);
  // The kind is set before the first picture is previewed, so that its advice is for this
  // record and not for the one selected before.
  w.currentRecordKind = kind;
  PickMemberName(w);
  w.c.indexLineText->SetText(name);
}

bool SelectWrestlerFound(Wizard& w, NodeHandle node) {
  const Wrestler* wrestler = StartHandler(w, w.db.wrestlers, RecordKind::Wrestler, node);
  if (!wrestler) return false;
  ShowNamedRecord(w, wrestler->name, &wrestler->aliases, RecordKind::Wrestler);
  return true;
}

}  // namespace

void SelectWrestler(Wizard& w, NodeHandle node) { SelectWrestlerFound(w, node); }

void SelectManager(Wizard& w, NodeHandle node) {
  if (const Manager* manager = StartHandler(w, w.db.managers, RecordKind::Manager, node)) {
    ShowNamedRecord(w, manager->name, nullptr, RecordKind::Manager);
  }
}

void SelectTitle(Wizard& w, NodeHandle node) {
  if (const Title* title = StartHandler(w, w.db.titles, RecordKind::Title, node)) {
    ShowNamedRecord(w, title->name, nullptr, RecordKind::Title);
  }
}

void SelectTeam(Wizard& w, NodeHandle node) {
  const Team* team = StartHandler(w, w.db.teams, RecordKind::TagTeam, node);
  if (!team) return;
  if (TeamKeyAddsMembers(team->name)) {
    w.c.membersList->AddString(team->member1);
    w.c.membersList->AddString(team->member2);
  }
  w.currentRecordKind = RecordKind::TagTeam;
  ShowImagesForKey(w, TeamKey(team->name, team->member1, team->member2));
}

void SelectStable(Wizard& w, NodeHandle node) {
  const Stable* stable = StartHandler(w, w.db.stables, RecordKind::Stable, node);
  if (!stable) return;
  w.currentName = std::string(stable->name);
  for (int number : stable->members) {
    if (number < 1 || static_cast<std::size_t>(number) > w.db.wrestlers.size()) continue;
    for (const Alias& alias : w.db.wrestlers[static_cast<std::size_t>(number) - 1].aliases) {
      w.c.membersList->AddString(alias.text);
    }
  }
  w.c.indexLineText->SetText(stable->name);
  w.currentRecordKind = RecordKind::Stable;
}

void SelectAlias(Wizard& w, std::string_view aliasText, NodeHandle wrestlerNode) {
  // Without its wrestler there is nothing to pick: everything stays as "Node not found!" left it.
  if (!SelectWrestlerFound(w, wrestlerNode)) return;
  ListBox& members = *w.c.membersList;
  const int index = members.FindExact(1, aliasText);
  if (index != -1) members.SetCurrent(index);
  PickMemberName(w);
}

void ShowCategoryTree(Wizard& w) {
  BuildCategoryTree(w.db, w.tree);
  // Worked out when the view first asks (a branch opened), not before the window shows.
  w.marks.Bind(w.db, w.db.imageIndex, w.tree);
  w.c.itemsTree->SetNodes(w.shownTree);
}

void SelectNode(Wizard& w) {
  const NodeHandle sel = w.c.itemsTree->Selection();
  if (sel == w.lastTreeItem || w.replacingTree) return;
  SelectMembersPanel(w);
  w.lastTreeItem = sel;

  std::string label = NodeText(w.tree, sel);
  const TreeNode* node = w.tree.Find(sel);
  Control& button = *w.c.addImagesButton;
  // A node the tree does not know reads as a category: nothing to show.
  const NodeRole role = node ? node->role : NodeRole::CategoryRoot;
  const RecordKind kind = node ? node->kind : RecordKind::None;

  if (role == NodeRole::LetterGroup) {
    label += " (Group)";
    button.SetEnabled(false);
    ResetSelectionView(w);
  } else if (role == NodeRole::Entity && kind == RecordKind::Title) {
    label += " (Title)";
    button.SetEnabled(true);
    SelectTitle(w, sel);
  } else if (role == NodeRole::Entity && kind == RecordKind::Wrestler) {
    label += " (Wrestler)";
    SelectWrestler(w, sel);
    button.SetEnabled(true);
  } else if (role == NodeRole::Entity && kind == RecordKind::TagTeam) {
    label += " (Tag Team)";
    SelectTeam(w, sel);
    button.SetEnabled(true);
  } else if (role == NodeRole::Entity && kind == RecordKind::Stable) {
    label += " (Stable)";
    SelectStable(w, sel);
    button.SetEnabled(false);
  } else if (role == NodeRole::Entity && kind == RecordKind::Manager) {
    label += " (Manager)";
    SelectManager(w, sel);
    button.SetEnabled(true);
  } else if (role == NodeRole::Alias) {
    SelectAlias(w, label, node->parent);
    label += " (Alias)";
    button.SetEnabled(true);
  } else {
    label += " (Category)";
    button.SetEnabled(false);
    ResetSelectionView(w);
  }
  w.c.recordText->SetText(label);
  EmphasiseStrayPictures(w);
}

}  // namespace qvm
