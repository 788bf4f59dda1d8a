// The window's event handler without the window: which operation a control's notification
// stands for, and running it on the session. The Qt shell turns the user's actions into these
// notifications; tests drive the same table without a display.
#pragma once

#include <string_view>

#include "app/Wizard.h"

namespace qvm {

// A command comes from a list box or button (with its notification code); a notify comes from
// the tree, whose codes are never looked at.
enum class MessageKind { Command, Notify };

// Notification codes of the commands the table knows.
namespace code {
inline constexpr int kClicked = 0;      // a button was clicked
inline constexpr int kAccelerator = 1;  // a button was pressed through its keyboard shortcut
inline constexpr int kSelChange = 1;    // a list's selection changed through the user
inline constexpr int kDoubleClick = 2;  // the user double-clicked a list item
}  // namespace code

enum class Operation {
  Nothing,
  AddStrayImage,
  PreviewFromStrayList,
  PickMemberName,
  PickStableMembers,
  PreviewFromImagesList,
  ScanStrayImages,
  AddImages,
  CloseWindow,
  SaveShowMatch,
  SelectNode,
};

// The operation a notification stands for; the first matching row of the table wins. A
// selection change in the members list depends on the kind of record being edited.
Operation OperationFor(MessageKind kind, int controlId, int notificationCode,
                       RecordKind recordKind);

// Runs the operation of one notification to its end and returns it. Closing is left to the
// caller: only the window can end its own run.
Operation HandleEvent(Wizard& w, MessageKind kind, int controlId, int notificationCode);

// Shows and hides one control of the window; a control the window lacks is skipped.
void ShowControl(Wizard& w, int controlId);
void HideControl(Wizard& w, int controlId);

// Hides the show/match panel and shows the members panel in its place.
void SelectMembersPanel(Wizard& w);

// The action of the "Save Changes" button: re-keys the index entry of the key in IndexLineText
// to show + "|" + match.
void SaveShowMatch(Wizard& w);

inline constexpr std::string_view kKeyNotFoundMessage = "Node not found.";

}  // namespace qvm
