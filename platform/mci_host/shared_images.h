// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelko::mci::images {

// The host's program defines shmget, shmat, shmdt, shmctl and XShmAttach for the libraries it
// loads (shared_images.cpp): GStreamer's X image sinks get memfd segments, which the X server
// shares through the display's socket across the host's fence.

// The segments alive now: made, and not yet both removed and unmapped.
int segmentCount();

}  // namespace zelko::mci::images
