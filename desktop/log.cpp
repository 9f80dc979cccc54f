#include "desktop/log.h"

Q_LOGGING_CATEGORY(lcDesktop, "zelko.desktop", QtInfoMsg)
