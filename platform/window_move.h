// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zelko::platform {

// Starts an interactive move of the top-level window of `window` under the pointer, as a press
// on a caption bar would. Asks the window manager first (QWindow::startSystemMove); where none
// takes it, the window follows the pointer until the left button is released. Call it from
// the handler of a left-button press.
void startWindowMove(QWidget* window);

}  // namespace zelko::platform
