// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelko::platform {

// Why one MCI command failed, beyond its code, as every layer carries it: the engine that tells
// it, the wire to the engine host, the channel and the media module. `text` is told for the code
// in place of the code's own description (empty: there is nothing to add); when the file needs
// a decoder that is not installed, `missingDecoder` is GStreamer's description of that decoder,
// as data beside the text, never to be read out of it.
struct ErrorDetail {
    std::string text;
    std::string missingDecoder;
};

}  // namespace zelko::platform
