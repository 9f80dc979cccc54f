#include "player/log.h"

Q_LOGGING_CATEGORY(lcPlayer, "zelko.player", QtInfoMsg)
