// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The channels' log category, "zelko.channels": every start, kill, death and restart of the
// engine host with its cause (QT_LOGGING_RULES="zelko.channels.debug=true" shows the routine
// first start too).
Q_DECLARE_LOGGING_CATEGORY(lcChannels)
