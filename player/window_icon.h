// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace zelko {

// The player's icon: a green play triangle inside a dark green ring on a black rounded square,
// the player's own colours. One design, drawn on a 32-unit grid, gives the window icon, the
// installed PNG sizes and the installed SVG, so they cannot drift apart.

// The window's 32 x 32 icon. Needs the GUI application to exist.
QIcon ZelkoWindowIcon();

// The design painted at side x side pixels, on a transparent background. Needs no application.
QImage ZelkoIconImage(int side);

// The same design as an SVG document.
QByteArray ZelkoIconSvg();

}  // namespace zelko
