// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window_rect_type.h"

namespace zelko::media {

// The narrow channel through which the media module reaches MCI and the two system calls it
// needs. The product wires the real engine (EngineChannel); tests script a fake one. Failures
// come as the engine tells them: MCI codes, a text for each, and typed detail beside them.
class MciChannel {
public:
    virtual ~MciChannel() = default;

    // mciSendString: `reply` is null and replyLength 0 for commands whose reply is not read.
    virtual uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                                std::uintptr_t callbackWindow) = 0;
    // mciGetErrorString.
    virtual bool getErrorString(uint32_t code, char* buffer, uint32_t length) = 0;
    // GStreamer's description of the decoder the latest failure with `code` needed and found
    // not installed; empty when that was not why (and on a channel that cannot tell).
    virtual std::string missingDecoder(uint32_t /*code*/) { return {}; }
    // GetShortPathName: the length of the short form, 0 on failure (see platform/short_path.h).
    virtual uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) = 0;
    // GetWindowRect: rect is left as it was when the handle names no window.
    virtual bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) = 0;
};

}  // namespace zelko::media
