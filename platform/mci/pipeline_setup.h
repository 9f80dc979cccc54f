// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/media_facts.h"

#include <gst/gst.h>

namespace zelko::mci {

// Adjusts the elements that `playbin` makes for one file, as each is made, from what the
// file's header says (`facts` are copied):
// - AIFF goes to GStreamer's aiffparse, which reads every PCM and float variant, except the
//   codings only libav's AIFF demuxer reads (AIFF-C a-law and mu-law);
// - aiffparse's buffers wait until decodebin2 has exposed its pad (see exposure_hold.h);
// - block-coded WAV gets its true time axis (see wav_timing.h).
void setUpPipeline(GstElement* playbin, const MediaFacts& facts);

}  // namespace zelko::mci
