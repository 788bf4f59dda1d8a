// Attaching pictures to the record being edited, taking them away, and the stray pictures.
// These are the window's entry points; they read the selection from the controls and report
// through its message box. The toolkit-free work behind them is in AttachPictures.h and
// StrayImages.h, shared with the CLI.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/Wizard.h"
#include "platform/Controls.h"

namespace qvm {

inline constexpr std::string_view kSelectEntityFirstMessage =
    "Please select an entity (wrestler, tag team, stable etc) first.";
inline constexpr std::string_view kEntryNotFoundMessage = "Couldn't find wrestler.";
inline constexpr std::string_view kImageNotFoundMessage = "Image not found.";
// "Do you really want to delete " + name + "?"
std::string DeleteQuestion(std::string_view name);

// The open-file dialog's request: title, media as start folder, the Jpegs and Bitmaps types,
// several files at once, files must exist.
OpenFileRequest ImageFileRequest(const GamePaths& paths);

// Attaches `fileName` (a file already in media) to the key in IndexLineText; with an empty
// name asks the user for files first (copied into media when they are not there yet).
void AddImages(Wizard& w, std::string_view fileName);
// What AddImages does once the dialog has answered: for the dialog's answer, and for files
// dropped onto the window (dropped files may come from several folders).
void AttachChosenFiles(Wizard& w, const FileChoice& choice);
void AttachDroppedFiles(Wizard& w, const std::vector<std::filesystem::path>& files);
// Whether a drop of `files` is taken, as the open-file dialog's answer would be: only while the
// dialog could be opened (the Add button is enabled), and only files of the dialog's types.
bool AcceptsDroppedFiles(const Wizard& w, const std::vector<std::filesystem::path>& files);
// Attaches the StrayList's current item and removes it from the StrayList.
void AddStrayImage(Wizard& w);

// After a question, takes the ImagesList's current item away from the record being edited.
void RemoveCurrentImage(Wizard& w);
// Key code of the Delete key as the images list reports its key releases.
inline constexpr int kDeleteKey = 46;
// A key released while the ImagesList has the focus, before the list's own handling (which
// the caller then runs for every key): a Delete release removes the current image once.
// Releases the toolkit makes up while a key is held down (auto-repeat) do nothing.
void OnImagesListKeyUp(Wizard& w, int key, bool autoRepeat = false);

}  // namespace qvm
