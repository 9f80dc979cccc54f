// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zelko {

// Finds the desktop's session bus. Runs before the application object is made, so that Qt's own
// users of the bus (its accessibility bridge among them) find the same one. A bus counts only
// when the session names it: by its address (DBUS_SESSION_BUS_ADDRESS), or as the user bus
// socket $XDG_RUNTIME_DIR/bus, which then becomes the address. Returns empty when there is a
// bus, otherwise why there is none. (Asked for a bus that nothing names, D-Bus would start a
// private one on the X display, where no desktop listens.)
QString FindSessionBus();

}  // namespace zelko
