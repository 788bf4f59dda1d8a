#include "app/PictureActions.h"

#include "app/ImageOperations.h"
#include "app/Preview.h"
#include "app/StrayList.h"
#include "app/UndoHistory.h"
#include "images/ExifOrientation.h"
#include "images/MediaFile.h"
#include "images/PictureEdits.h"
#include "images/PreviewReport.h"

namespace qvm {
namespace {

// The images list's current picture as the preview shows it.
struct Current {
  std::string name;
  PictureHeader header;
};

std::optional<Current> CurrentPicture(Wizard& w) {
  const ListBox& images = *w.c.imagesList;
  if (images.Current() < 0 || w.c.indexLineText->Text().empty()) return std::nullopt;
  Current current{images.ItemText(-1), {}};
  const auto file = ResolveMediaFile(w.os, w.paths, current.name);
  if (!file) return std::nullopt;
  current.header = ReadPictureHeader(w.os, *file);
  if (!current.header.Shown()) return std::nullopt;
  return current;
}

// The new picture in the place of `old` in the entry, in the list and the preview.
bool PutInPlace(Wizard& w, const std::string& old, const PictureEdit& made) {
  if (!made.Ok()) {
    w.c.messages->Show(made.problem);
    return false;
  }
  switch (ReplaceImageByName(w.db.imageIndex, w.c.indexLineText->Text(), old, made.name)) {
    case ReplaceOutcome::Replaced:
      break;
    case ReplaceOutcome::NoEntry:
      w.c.messages->Show(kEntryNotFoundMessage);
      return false;
    case ReplaceOutcome::NotListed:
      w.c.messages->Show(kImageNotFoundMessage);
      return false;
    case ReplaceOutcome::AlreadyListed:
      w.c.messages->Show("The entry lists " + made.name + " already.");
      return false;
  }
  ListBox& images = *w.c.imagesList;
  const int at = images.FindExact(-1, old);
  if (at >= 0) images.DeleteString(at);
  images.SetCurrent(images.AddString(made.name));
  ShowPreview(w, false);
  ScanStrayImages(w);  // the original is stray now
  return true;
}

}  // namespace

std::vector<PreviewMenuItem> PreviewMenu(Wizard& w) {
  std::vector<PreviewMenuItem> menu;
  const auto current = CurrentPicture(w);
  if (!current) return menu;
  if (const int turn = current->header.orientation; turn != 1) {
    menu.push_back({TurnedPictureNote(turn), PreviewAction::None, false});
    menu.push_back({std::string(kUprightMenuText), PreviewAction::MakeUpright, w.c.codec != nullptr});
  }
  if (CurrentRatio(w) > 0)
    menu.push_back({std::string(kCropMenuText), PreviewAction::CropToRatio, w.c.codec != nullptr});
  return menu;
}

std::optional<CropFrame> StartCrop(Wizard& w) {
  const auto current = CurrentPicture(w);
  const double ratio = CurrentRatio(w);
  if (!current || !(ratio > 0) || !w.c.codec) return std::nullopt;
  const int width = current->header.Width(), height = current->header.Height();
  const PixelRect frame = RatioFrame(width, height, ratio);
  if (frame.width <= 0) return std::nullopt;
  return CropFrame(width, height, frame, w.previewWidth, w.previewHeight);
}

bool CropCurrentPicture(Wizard& w, const PixelRect& frame) {
  const auto current = CurrentPicture(w);
  if (!current || !w.c.codec) return false;
  UndoStep step(w.undo, "crop " + current->name);
  return PutInPlace(w, current->name,
                    CropMediaPicture(w.os, w.paths, *w.c.codec, current->name, frame));
}

bool MakeUprightCopy(Wizard& w) {
  const auto current = CurrentPicture(w);
  if (!current || !w.c.codec) return false;
  UndoStep step(w.undo, "upright copy of " + current->name);
  return PutInPlace(w, current->name,
                    UprightMediaPicture(w.os, w.paths, *w.c.codec, current->name));
}

}  // namespace qvm
