// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelko {

class Form1;

// Brings the player's window to the front when another program asks for it (a later start, the
// desktop's media player menu): un-minimized, keeping the maximized state that is fullscreen.
void RaiseWindow(Form1& form);

}  // namespace zelko
