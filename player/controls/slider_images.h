// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace zelko::controls {

// The slider's pictures, painted once at first use: a 222 x 8 rail (a dark groove with a green
// line along it) and a 16 x 16 thumb (a silver disc with a green centre).
const QImage& RailImage();
const QImage& ThumbImage();

}  // namespace zelko::controls
