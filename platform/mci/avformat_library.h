// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

namespace zelko::mci {

// The few functions of libavformat and libavutil that the media facts use, loaded when first
// asked for rather than with the program: linked in, the two libraries bring some ninety more
// (every codec libavcodec knows), and the dynamic loader made the window's start wait for all
// of them. The warm-up asks first, off the UI thread.
struct AvFormatLibrary {
    decltype(&avformat_alloc_context) allocContext;
    decltype(&avformat_open_input) openInput;
    decltype(&avformat_find_stream_info) findStreamInfo;
    decltype(&avformat_close_input) closeInput;
    decltype(&av_probe_input_format3) probeInputFormat;
    decltype(&av_stream_get_side_data) streamSideData;
    decltype(&avio_alloc_context) allocIoContext;
    decltype(&avio_context_free) freeIoContext;
    decltype(&av_malloc) malloc;
    decltype(&av_freep) freep;
    decltype(&av_rescale_q) rescaleQ;
};

// Loads the libraries of the version the engine was built against, once per process, from any
// thread. Null when they cannot be loaded: files are then measured by GStreamer alone.
const AvFormatLibrary* avformatLibrary();

}  // namespace zelko::mci
