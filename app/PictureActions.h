// Beyond advice: what the preview's context menu offers for the picture it shows (a crop to the
// recommended ratio, an upright copy of a picture stored turned), and running it. Each action
// that changes the index is one function here, toolkit-free: it makes the new picture in media,
// puts it in the original's place in the entry (ImageIndex::ReplaceImage, journaled), and shows
// it in the images list and the preview; the original file stays in media (stray from then on).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CropFrame.h"
#include "app/Wizard.h"

namespace qvm {

inline constexpr std::string_view kCropMenuText = "Crop to the recommended ratio...";
inline constexpr std::string_view kUprightMenuText = "Make an upright copy";

enum class PreviewAction { None, CropToRatio, MakeUpright };

struct PreviewMenuItem {
  std::string text;  // CP1252
  PreviewAction action = PreviewAction::None;  // None: a line that only informs
  bool enabled = true;
};

// The preview's context menu for the images list's current picture: a note when it is stored
// turned and "Make an upright copy", and the crop when the record has a recommended ratio
// (wrestler, tag team, stable with members chosen). Empty when the preview shows no picture
// of the images list.
std::vector<PreviewMenuItem> PreviewMenu(Wizard& w);

// The frame a crop of the images list's current picture starts with (the largest of the
// recommended ratio, centred across, at the top); none when the menu offers no crop.
std::optional<CropFrame> StartCrop(Wizard& w);

// Crops the images list's current picture to `frame` (its pixels) as a new picture in media,
// which takes the original's place in the entry of the key in IndexLineText. Problems are told
// in one message; true when the index changed.
bool CropCurrentPicture(Wizard& w, const PixelRect& frame);

// The same for an upright copy of the current picture, turned as its EXIF orientation says.
bool MakeUprightCopy(Wizard& w);

}  // namespace qvm
