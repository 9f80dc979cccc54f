// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "platform/track_tags.h"

namespace zelko::platform {

// Where the desktop learns what a file's own tags say, without parsing the file in its own
// process: the engine that opened the file keeps what it met there.
class TagSource {
public:
    using Done = std::function<void(TrackTags tags)>;

    virtual ~TagSource() = default;

    // The tags of the file at `path` (the file system's bytes), as met when it was last opened
    // for playback; empty tags when it was not opened, or its open failed for another reason
    // than a missing decoder. `done` runs once, on the calling thread: within the call or later.
    virtual void readTags(const std::string& path, Done done) = 0;
};

}  // namespace zelko::platform
