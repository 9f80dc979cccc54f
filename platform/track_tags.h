// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelko::platform {

// What a media file's own tags say of it (ID3, Vorbis comments, RIFF INFO, ...). Texts are UTF-8
// and empty where the file says nothing.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string genre;
    uint32_t trackNumber = 0;  // 0: not given
    // The embedded cover picture as stored (the front cover where the file names one), and its
    // media type ("image/jpeg"); empty when there is none or it is larger than kMaxCoverBytes.
    std::vector<unsigned char> cover;
    std::string coverType;
};

// A picture larger than this is not a cover a desktop would show.
constexpr size_t kMaxCoverBytes = 4 * 1024 * 1024;

}  // namespace zelko::platform
