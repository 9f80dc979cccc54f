// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log.h"

Q_LOGGING_CATEGORY(lcApp, "zelko.app", QtInfoMsg)
