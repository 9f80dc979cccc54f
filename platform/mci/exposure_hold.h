// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

namespace zelko::mci {

// Holds the buffers of `element`'s source pad until decodebin2 has exposed the pad.
//
// aiffparse's source pad is always present and its template offers raw audio only, so
// decodebin2 (1.22) takes it as final at once: it links it into a decode pad, sets aiffparse to
// PAUSED, and only then blocks and exposes that decode pad, all on the typefinder's thread. In
// pull mode aiffparse starts its own streaming thread at PAUSED, reads the header and pushes
// its first buffer; when that comes before decodebin2 has blocked the decode pad, the push meets
// an unlinked pad, returns "not-linked", and aiffparse stops with "Internal data stream error"
// (or, when its error is lost in the race, the preroll hangs). wavparse's always pad offers
// compressed formats too, so decodebin2 waits for its caps, which come on wavparse's own thread
// before any data. (Push mode would avoid the race, but aiffparse frees its push-mode adapter
// while the upstream thread may still be in its chain function, which fails at teardown.)
//
// A blocking probe takes the first buffer; it lets go when the decode pad is linked out of
// decodebin2, by which time decodebin2's own block holds the data until everything is linked.
void holdBuffersUntilExposed(GstElement* element);

}  // namespace zelko::mci
