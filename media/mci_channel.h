// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/window_rect_type.h"

namespace zelko::media {

// The narrow channel through which the media module reaches MCI and the two system calls it
// needs. The product wires the engine host (HostChannel); tests wire the engine in process or
// script a fake one. Failures come as the engine tells them: MCI codes, a text for each, and
// typed detail beside them.
//
// A command is asynchronous: the window's thread never waits in the channel for an engine. A
// channel that can answer at once (the engine in process, a scripted fake, a query answered from
// what the host published) completes inside send(); one that must wait for its engine completes
// later, from the window's event loop. Descriptions, short paths and window rectangles are the
// window's own and answer at once.
class MciChannel {
public:
    // Names a command in flight, to abandon it; 0 names none.
    using RequestId = uint64_t;
    // Called once, on the window's thread, with the command's code and its reply: the text the
    // reply buffer holds up to its NUL (empty when no buffer was offered, and on any error).
    using Completion = std::function<void(uint32_t code, std::string_view reply)>;

    virtual ~MciChannel() = default;

    // mciSendString: sends `command`, offering a reply buffer of `replyLength` characters (0:
    // the reply is not read), and calls `completion` when it is answered, which may be before
    // send returns. The completion may send the next command. Returns the request's id while it
    // is in flight, 0 when it has been answered already.
    virtual RequestId send(std::string_view command, uint32_t replyLength, Completion completion) = 0;
    // The window no longer waits for `request`: its completion is never called. A channel whose
    // engine is still busy with it may give that engine up (kill and replace a host: it holds
    // only the device, which the next play request closes anyway). The closing window abandons
    // its last Close All unless it was answered inside send: an idle engine that has it already
    // may finish it. Unknown ids are ignored; abandon may come from inside another completion.
    virtual void abandon(RequestId /*request*/) {}
    // mciGetErrorString.
    virtual bool getErrorString(uint32_t code, char* buffer, uint32_t length) = 0;
    // GStreamer's description of the decoder the latest failure with `code` needed and found
    // not installed; empty when that was not why (and on a channel that cannot tell).
    virtual std::string missingDecoder(uint32_t /*code*/) { return {}; }
    // GetShortPathName: the length of the short form, 0 on failure (see platform/short_path.h).
    virtual uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) = 0;
    // GetShortPathName without the window waiting on the disk the file is on: `completion` gets
    // what getShortPathName returns as its code, and the short form as its reply when it fits in
    // `length` characters with its terminator. This one looks the path up at once, inside the
    // call; a channel may look it up on another thread and complete later from the event loop,
    // and then abandon() forgets the request as it forgets a command.
    virtual RequestId findShortPath(std::string_view longPath, uint32_t length, Completion completion);
    // GetWindowRect: rect is left as it was when the handle names no window.
    virtual bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) = 0;
};

// A channel whose engine answers every command before send returns: all it gives is
// mciSendString itself, and each command completes inside send().
class ImmediateChannel : public MciChannel {
public:
    // mciSendString: `reply` is null and replyLength 0 for commands whose reply is not read.
    virtual uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                                std::uintptr_t callbackWindow) = 0;

    RequestId send(std::string_view command, uint32_t replyLength, Completion completion) override;
};

}  // namespace zelko::media
