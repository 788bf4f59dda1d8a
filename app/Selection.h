// What the window shows for the tree's selected node.
#pragma once

#include <string_view>

#include "app/Wizard.h"

namespace qvm {

inline constexpr std::string_view kNodeNotFoundMessage = "Node not found!";
inline constexpr std::string_view kSelectErrorMessage = "Error";

// Builds the category tree of the game and its marks into the session and hands it to the
// ItemsTree, with nothing selected.
void ShowCategoryTree(Wizard& w);

// Reads the tree's selected node and, unless it is the node handled last (or the tree is
// being given other nodes), shows what it stands for (kind word in RecordText, members, key, images, button state).
void SelectNode(Wizard& w);

// The handlers for the node of one record. Each first empties the MembersList; when the node
// shows no record of the handler's kind (or one outside the table) it says "Node not found!"
// and leaves everything else as it was.
// Wrestler, manager, title: the names as members, the first selected, its images listed, the
// record's name as key line.
void SelectWrestler(Wizard& w, NodeHandle node);
void SelectManager(Wizard& w, NodeHandle node);
void SelectTitle(Wizard& w, NodeHandle node);
// The team key with its images; the members are listed only when the key names them.
void SelectTeam(Wizard& w, NodeHandle node);
// Every alias of every member, none selected; the images stay until members are picked.
void SelectStable(Wizard& w, NodeHandle node);
// The wrestler under `wrestlerNode`, then the alias `aliasText` selected as well and current.
void SelectAlias(Wizard& w, std::string_view aliasText, NodeHandle wrestlerNode);

}  // namespace qvm
