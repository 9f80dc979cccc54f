// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/engine.h"

namespace zelko::mci {

// What the host does once its engine is ready and fenced in: says hello on `socket`, checks the
// window's, then answers the window's requests one at a time, each with the request's number,
// until the window closes the channel. The engine opens only the files each command hands over
// as descriptors. Returns the host's exit status: 0 when the window closed the channel, 2 for
// a window of another wire version, 1 for anything else the window sent that is nonsense.
int serve(Engine& engine, int socket);

}  // namespace zelko::mci
