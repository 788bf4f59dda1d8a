// Attaching pictures from the open-file dialog, from a drop and from the StrayList.
#include <algorithm>

#include "app/ImageOperations.h"
#include "app/PictureGaps.h"
#include "images/AttachPictures.h"
#include "images/PictureEdits.h"
#include "platform/PathText.h"

namespace qvm {
namespace {

// The key of the record being edited, exactly as IndexLineText shows it; empty (after the
// message) when nothing is selected.
std::string KeyOrMessage(Wizard& w) {
  std::string key = w.c.indexLineText->Text();
  if (key.empty()) w.c.messages->Show(kSelectEntityFirstMessage);
  return key;
}

// The question before pictures the game cannot show are attached as JPEG copies.
std::string ConvertQuestion(int count) {
  return "The game shows only JPEG and BMP pictures. Attach JPEG copies of these " +
         std::to_string(count) + " pictures?";
}

// New names take their sorted place in the ImagesList, and the tree's marks follow; problems
// are told in one message.
void Show(Wizard& w, const AttachReport& report) {
  for (const std::string& name : report.added) w.c.imagesList->AddString(name);
  if (!report.added.empty()) UpdatePictureMarks(w);
  if (report.problems.empty()) return;
  std::string text;
  for (const std::string& line : report.problems) {
    if (!text.empty()) text += "\n\n";
    text += line;
  }
  w.c.messages->Show(text);
}

// Pictures the game cannot show are attached as JPEG copies made in media, after one question
// (without a codec, or when the answer is No, they are left out).
void AttachFiles(Wizard& w, const std::string& key, std::vector<PictureFile> files) {
  std::vector<bool> convert = FilesToConvert(w.os, files);
  const int count = static_cast<int>(std::count(convert.begin(), convert.end(), true));
  std::vector<std::string> problems;
  if (count > 0) {
    const MessageStyle ask{.yesNo = true};
    if (w.c.codec && w.c.messages->Show(ConvertQuestion(count), ask) == MessageAnswer::Yes) {
      files = ConvertFiles(w.os, w.paths, *w.c.codec, files, convert, problems);
    } else {
      std::erase_if(files, [&, i = std::size_t{0}](const PictureFile&) mutable {
        return convert[i++];
      });
    }
  }
  if (files.empty() && problems.empty()) return;
  AttachReport report = AttachPictureFiles(w.os, w.paths, w.db.imageIndex, key, files);
  problems.insert(problems.end(), report.problems.begin(), report.problems.end());
  report.problems = std::move(problems);
  Show(w, report);
}

}  // namespace

OpenFileRequest ImageFileRequest(const GamePaths& paths) {
  OpenFileRequest request;
  request.title = "QVM 7 Visualizer";
  request.startFolder = paths.media;
  request.filters = {{"Jpegs", "*.JP*"},
                     {"Bitmaps", "*.BMP"},
                     {"All pictures", std::string(kAllPicturesPattern)}};
  request.initialName = "*.JP*";
  request.multiSelect = true;
  request.mustExist = true;
  return request;
}

void AddImages(Wizard& w, std::string_view fileName) {
  UndoStep step(w.undo);
  std::string key = KeyOrMessage(w);
  if (key.empty()) return;
  if (!fileName.empty()) {
    Show(w, AttachMediaNames(w.db.imageIndex, key, {std::string(fileName)}));
    return;
  }
  auto choice = w.c.fileDialog->ChooseImageFiles(ImageFileRequest(w.paths));
  if (!choice) return;
  AttachFiles(w, key, PictureFilesOf(*choice));
}

void AttachChosenFiles(Wizard& w, const FileChoice& choice) {
  UndoStep step(w.undo);
  std::string key = KeyOrMessage(w);
  if (!key.empty()) AttachFiles(w, key, PictureFilesOf(choice));
}

bool AcceptsDroppedFiles(const Wizard& w, const std::vector<std::filesystem::path>& files) {
  // The patterns look at ASCII letters only, so the file system's own name serves.
  return !files.empty() && w.c.addImagesButton->IsEnabled() &&
         std::all_of(files.begin(), files.end(), [](const std::filesystem::path& file) {
           return IsPictureFileName(Utf8FromPath(file.filename()));
         });
}

void AttachDroppedFiles(Wizard& w, const std::vector<std::filesystem::path>& files) {
  UndoStep step(w.undo);
  std::string key = KeyOrMessage(w);
  if (!key.empty()) AttachFiles(w, key, PictureFilesOf(files));
}

void AddStrayImage(Wizard& w) {
  ListBox& stray = *w.c.strayList;
  int current = stray.Current();
  // Without an item there is no name; an empty name would open the dialog instead.
  if (current < 0) return;
  std::string name = stray.ItemText(current);
  AddImages(w, name);
  stray.DeleteString(current);  // also when nothing was attached; a refresh brings it back
}

}  // namespace qvm
