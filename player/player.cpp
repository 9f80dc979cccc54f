// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/player.h"

namespace zelko {

Player::~Player() = default;

}  // namespace zelko
