// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

// The engine's GStreamer debug category, "zelko-mci". Each behaviour of GStreamer that the
// engine mends logs there when it acts (GST_DEBUG=zelko-mci:4 shows them), with the GStreamer
// versions it was found on, so a newer GStreamer that no longer needs it can be told.
GST_DEBUG_CATEGORY_EXTERN(zelko_mci_debug);

namespace zelko::mci {

// Initialises GStreamer and the engine's debug category, once, from whichever thread is first.
void initGStreamer();

}  // namespace zelko::mci
