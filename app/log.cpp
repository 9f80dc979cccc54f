#include "app/log.h"

Q_LOGGING_CATEGORY(lcApp, "zelko.app", QtInfoMsg)
