#include "app/Preview.h"

#include "images/MediaFile.h"

namespace qvm {

double CurrentRatio(const Wizard& w) {
  return RecommendedRatio(w.currentRecordKind, w.c.membersList->SelCount());
}

void ShowPreview(Wizard& w, bool fromStrayList) {
  ImagingLibrary& gfx = *w.c.imaging;
  gfx.BrushColor(kPreviewBackground);
  gfx.GfxCLS();
  if (fromStrayList) w.c.imagesList->SetCurrent(-1);
  const ListBox& source = fromStrayList ? *w.c.strayList : *w.c.imagesList;
  if (source.Count() == 0) return;

  // The list shows lower-case names; the file may carry capitals. A name that leads nowhere
  // safe in media is not handed to the library at all.
  const auto file = ResolveMediaFile(w.os, w.paths, source.ItemText(-1));
  int width = 0;
  int height = 0;
  if (file) {
    width = gfx.ImageParam(*file, 1);
    height = gfx.ImageParam(*file, 2);
  }
  if (width > 0 && height > 0) {
    const PreviewFit fit = FitPreview(width, height, w.previewWidth, w.previewHeight);
    const int shownHeight = gfx.GfxConvert(2, fit.height);
    const int shownWidth = gfx.GfxConvert(1, fit.width);
    gfx.StretchImage(*file, shownWidth, shownHeight);
  }

  // A stable's recommendation counts the members selected now.
  const double recommended = CurrentRatio(w);
  w.c.imageInfoText->SetText(PreviewReport(width, height, recommended));
}

void ResetSelectionView(Wizard& w) {
  w.c.membersList->ResetContent();
  w.c.imagesList->ResetContent();
  w.c.indexLineText->SetText("");
  w.c.imageInfoText->SetText("");
  w.c.showText->SetText("");
  w.c.matchText->SetText("");
  ShowPreview(w, false);
}

}  // namespace qvm
