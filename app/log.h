// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The app layer's log category, "zelko.app" (QT_LOGGING_RULES="zelko.app.debug=true"
// shows its debug lines); what the user must read goes to standard error whatever the rules say.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
