// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>

namespace velmora::app {

/// The picture of the "Info" window: a digital level on its tripod with a bar-code staff behind
/// it, 261 × 365 pixels, opaque (QImage::Format_RGB32).
QImage DrawInstrumentPicture();

/// The program's icon: a small level on a tripod in a few flat colours, 32 × 32 pixels.
QIcon DrawApplicationIcon();

}  // namespace velmora::app
