// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that move the media: play, pause, resume, stop, seek.
#include "platform/mci/arguments.h"
#include "platform/mci/device.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"

namespace zelko::mci {

uint32_t handlePlay(Device& device, const Arguments& arguments, std::string&)
{
    const std::optional<int64_t> fromNs = arguments.timeNs("from");
    const std::optional<int64_t> toNs = arguments.timeNs("to");
    if (toNs && *toNs < (fromNs ? *fromNs : device.positionNs())) {
        return code::kOutOfRange;
    }
    if (const uint32_t result = device.play(fromNs, toNs); result != 0) {
        return result;
    }
    return arguments.has("wait") ? device.waitForEnd() : code::kSuccess;
}

uint32_t handlePause(Device& device, const Arguments&, std::string&)
{
    return device.pause();
}

uint32_t handleResume(Device& device, const Arguments& arguments, std::string&)
{
    if (const uint32_t result = device.resume(); result != 0) {
        return result;
    }
    return arguments.has("wait") ? device.waitForEnd() : code::kSuccess;
}

uint32_t handleStop(Device& device, const Arguments&, std::string&)
{
    return device.stop();
}

uint32_t handleSeek(Device& device, const Arguments& arguments, std::string&)
{
    return device.seek(*arguments.timeNs("to"));
}

}  // namespace zelko::mci
