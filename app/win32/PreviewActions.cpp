// The Windows window's side of the preview's actions (app/PictureActions.h): the context menu
// on the preview area, Ctrl+K, and the crop frame over the picture.
#include "app/PictureActions.h"
#include "app/win32/MainDialog.h"
#include "app/win32/WideText.h"

namespace qvm {

bool MainDialog::ShowPreviewMenu(POINT screen) {
  RECT area{};
  if (!preview_ || !preview_->Area() || !GetWindowRect(preview_->Area(), &area) ||
      !PtInRect(&area, screen))
    return false;
  if (crop_) return true;
  const std::vector<PreviewMenuItem> items = PreviewMenu(*wizard_);
  if (items.empty()) return true;
  HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::wstring text = WideFromCp1252(items[i].text);
    if (items[i].action == PreviewAction::CropToRatio) text += L"\tCtrl+K";
    const bool enabled = items[i].enabled && items[i].action != PreviewAction::None;
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), i + 1, text.c_str());
  }
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                    screen.x, screen.y, 0, dialog_, nullptr);
  DestroyMenu(menu);
  if (chosen <= 0) return true;
  switch (items[static_cast<std::size_t>(chosen) - 1].action) {
    case PreviewAction::CropToRatio:
      StartCrop();
      break;
    case PreviewAction::MakeUpright:
      MakeUprightCopy(*wizard_);
      break;
    case PreviewAction::None:
      break;
  }
  return true;
}

void MainDialog::StartCrop() {
  if (crop_ || !preview_ || !preview_->Area()) return;
  const std::optional<CropFrame> frame = qvm::StartCrop(*wizard_);
  if (!frame) return;
  crop_ = std::make_unique<CropWindow>(
      dialog_, preview_->Area(), *frame, preview_->Canvas(),
      [this](bool accepted, const PixelRect& chosen) {
        // The frame's window goes once its own message is done.
        PostMessageW(dialog_, kCropEndedMessage, 0, 0);
        SetFocus(ControlWindow(id::kImagesList));
        if (accepted) CropCurrentPicture(*wizard_, chosen);
      });
}

}  // namespace qvm
