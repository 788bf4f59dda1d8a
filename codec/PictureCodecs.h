// The picture codec of this platform (images/PictureCodec.h): libjpeg-turbo for JPEG, and
// Qt's image readers (Linux) or WIC (Windows) for the formats the game cannot show.
#pragma once

#include <memory>

#include "images/PictureCodec.h"

namespace qvm {

// A codec for the calling thread (on Windows COM is initialised for each call as needed).
std::unique_ptr<PictureCodec> MakePictureCodec();

}  // namespace qvm
