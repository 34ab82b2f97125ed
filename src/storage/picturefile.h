#pragma once
// The OLED picture of a stored configuration on disk: a 64 x 48 BMP at
// StoragePaths::picturePath(model, n), which the Falcon manager converts and writes into the
// mouse's picture slot. The file is replaced through AtomicFile, so a failed save keeps the
// picture that was there before.

#include "common/atomicfile.h"

#include <QImage>

namespace PictureFile {

// The screen's picture size in pixels.
constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Stores picture as the BMP of configuration configNumber (1 to 5) of the model. Returns false,
// writing nothing, for a picture that is null or not 64 x 48 or a configuration outside 1 to 5;
// returns false when the file could not be written (*failure says why; the previous file is
// left as it was).
bool save(int modelCode, int configNumber, const QImage &picture, AtomicFile::Failure *failure = nullptr);

} // namespace PictureFile
