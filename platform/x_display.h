// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelko::platform {

// The player draws its video into X11 windows, so it needs an X server (XWayland on a Wayland
// desktop). Opens the display DISPLAY names and closes it again: empty when it opens, otherwise
// one line that says which display was tried and why it did not open, for the user to read.
std::string xDisplayProblem();

}  // namespace zelko::platform
