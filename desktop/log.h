// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The desktop layer's log category, "zelko.desktop" (QT_LOGGING_RULES="zelko.desktop.debug=true"
// shows its debug lines); what the user must read goes to standard error whatever the rules say.
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
