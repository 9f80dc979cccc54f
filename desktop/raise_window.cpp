// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/raise_window.h"

#include "player/form1.h"

namespace zelko {

void RaiseWindow(Form1& form)
{
    form.setWindowState((form.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    form.show();
    form.raise();
    form.activateWindow();
}

}  // namespace zelko
