// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/log.h"

Q_LOGGING_CATEGORY(lcChannels, "zelko.channels", QtInfoMsg)
