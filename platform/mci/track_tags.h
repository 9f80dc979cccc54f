// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

#include "platform/track_tags.h"

namespace zelko::mci {

// What a file's tags say, in the player's terms: title, artist, album, genre, track number and
// the front cover (else the first picture) up to platform::kMaxCoverBytes.
platform::TrackTags trackTagsFrom(const GstTagList* tags);

// The tags `pipeline` met in its file so far: every tag event that reached a pad of any of its
// elements, which each pad keeps (sticky) until the pipeline stops. So the tags are there also
// when no decoder follows the demuxer: they entered the parser before the decoder was missed.
// Runs on the caller's thread, reading what GStreamer's threads left under the pads' locks.
platform::TrackTags tagsMetIn(GstElement* pipeline);

}  // namespace zelko::mci
