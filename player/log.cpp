// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/log.h"

Q_LOGGING_CATEGORY(lcPlayer, "zelko.player", QtInfoMsg)
