#pragma once

#include <string>
#include <string_view>

namespace zelko::platform {

// How the engine's description of a file that needs a decoder that is not installed names what
// is missing: this marker, GStreamer's description of the decoder, then a full stop. The window
// reads it back to tell the user which decoder the file needs.
inline constexpr std::string_view kMissingDecoderMarker = "no decoder is installed for ";

// GStreamer's description of the missing decoder in an error description; empty when the
// description names none.
inline std::string missingDecoderIn(std::string_view description)
{
    const std::size_t at = description.find(kMissingDecoderMarker);
    if (at == std::string_view::npos)
        return {};
    std::string_view decoder = description.substr(at + kMissingDecoderMarker.size());
    if (decoder.ends_with('.'))
        decoder.remove_suffix(1);
    return std::string(decoder);
}

}  // namespace zelko::platform
