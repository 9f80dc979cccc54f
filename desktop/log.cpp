// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/log.h"

Q_LOGGING_CATEGORY(lcDesktop, "zelko.desktop", QtInfoMsg)
