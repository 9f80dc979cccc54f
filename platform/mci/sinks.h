// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/frame_fitter.h"
#include "platform/mci/gst_holders.h"
#include "platform/mci/media_facts.h"

#include <cstdint>
#include <memory>

namespace zelko::mci {

// A video output: the element playbin gets, and the element that draws into the parent window
// (null when the video goes to a null sink).
struct VideoOutput {
    ElementPtr sink;
    ElementPtr overlay;
    // In front of the rest: turns the picture upright (null where GStreamer has no videoflip).
    ElementPtr turner;
    // For the plain X image sink, which draws its picture unscaled in the middle of the window:
    // the picture is sized and framed with black to the window's size.
    std::unique_ptr<FrameFitter> fitter;
};

// The system's audio output when one can be opened, else a clock-synchronised null sink, so a
// machine without a sound device still plays in real time. The output is looked for again at
// each call, so a sound server that starts (or comes back) after the player is taken at the
// next open. The output comes open (READY): whoever lets it go sets it to NULL first.
ElementPtr makeAudioSink();

// The clock-synchronised null sink that stands in for a sound output that went away mid-play:
// the media plays on silently, in real time.
ElementPtr makeSilentAudioSink();

// True when `source` (a message's source) is `sink` or lies inside it: the message is about the
// sound output.
bool isInside(GstObject* source, GstElement* sink);

// The X sink that opens on this display: "xvimagesink", "ximagesink", or null without one.
// Probed once per process.
const char* videoSinkFactory();

// A sink drawing into the native X11 window `parentWindow` (XVideo when the server has it,
// plain X images otherwise), or a clock-synchronised null sink when there is no parent or no
// display. The sink never takes the window's input events: the window's owner handles them.
// Its pictures are turned as their stream's image-orientation tag says, until turnUpright.
VideoOutput makeVideoOutput(std::uintptr_t parentWindow);

// The turn GStreamer's image-orientation tag in `tags` names; Unknown without one.
Orientation orientationOfTags(const GstTagList* tags);

// Turns the output's pictures as `orientation` says instead of by the stream's tag (Unknown:
// by the tag). Set before the media prerolls, so the first picture comes turned.
void turnUpright(const VideoOutput& output, Orientation orientation);

// The pitch-keeping tempo filter for rates other than 1, or null when it is not installed.
ElementPtr makeAudioFilter();

}  // namespace zelko::mci
