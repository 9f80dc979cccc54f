// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

namespace zelko::mci {

// Readies GStreamer on a thread of its own, so that the first open of a file costs what a
// later one does: it loads the plugins that open and play the offered kinds (every demuxer,
// parser and decoder that their streams lead to), makes one of each element an open builds
// around them, and probes the audio and video outputs. The engine's own thread may open files
// meanwhile: GStreamer loads each plugin once, under its own lock, whichever thread asks first,
// and the output probes run once, whichever thread asks first.
class WarmUp {
public:
    WarmUp() = default;
    ~WarmUp();  // waits for the thread, which needs a fraction of a second at most
    WarmUp(const WarmUp&) = delete;
    WarmUp& operator=(const WarmUp&) = delete;

    // Starts the thread; only the first call in the process does.
    void start();

private:
    std::thread m_thread;
};

}  // namespace zelko::mci
