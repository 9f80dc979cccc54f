// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "media/mci_calls.h"
#include "media/task.h"

namespace zelko::media {

// The three length and position queries, with the difference between a failed query and a
// reply beyond 32 bits kept (the percent played treats them apart).

// "set <alias> time format frames" (code ignored), then "status <alias> length"; both offer
// the reply buffer.
Task<QueryResult> queryTotalFrames(MciChannel& channel, std::string alias);

// "status <alias> position".
Task<QueryResult> queryCurrentFrame(MciChannel& channel, std::string alias);

// "set <alias> time format ms" (code ignored), "status <alias> length", then
// "set <alias> time format frames" whatever the length query gave, so the device is always
// left counting frames.
Task<QueryResult> queryLengthMs(MciChannel& channel, std::string alias);

}  // namespace zelko::media
