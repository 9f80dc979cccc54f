// The verbs that move the media: play, pause, resume, stop, seek.
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"
#include "platform/mci/session.h"

namespace zelko::mci {

uint32_t handlePlay(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    std::optional<int64_t> fromNs;
    std::optional<int64_t> toNs;
    for (const char* keyword : {"from", "to"}) {
        if (const Argument* argument = command.find(keyword)) {
            int64_t ns = 0;
            if (const uint32_t result = readTime(*device, argument->values[0], ns); result != 0) {
                return result;
            }
            (keyword[0] == 'f' ? fromNs : toNs) = ns;
        }
    }
    if (toNs && *toNs < (fromNs ? *fromNs : device->positionNs())) {
        return code::kOutOfRange;
    }
    if (const uint32_t result = device->play(fromNs, toNs); result != 0) {
        return result;
    }
    return command.has("wait") ? device->waitForEnd() : code::kSuccess;
}

uint32_t handlePause(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    const uint32_t result = targetDevice(session, command, device);
    return result != 0 ? result : device->pause();
}

uint32_t handleResume(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    if (const uint32_t result = device->resume(); result != 0) {
        return result;
    }
    return command.has("wait") ? device->waitForEnd() : code::kSuccess;
}

uint32_t handleStop(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    const uint32_t result = targetDevice(session, command, device);
    return result != 0 ? result : device->stop();
}

uint32_t handleSeek(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    const Argument* to = command.find("to");
    if (to == nullptr) {
        return code::kMissingParameter;
    }
    const std::string target = toLower(to->values[0]);
    int64_t ns = 0;
    if (target == "start") {
        ns = 0;
    } else if (target == "end") {
        ns = device->lengthNs();
    } else if (const uint32_t result = readTime(*device, target, ns); result != 0) {
        return result;
    }
    return device->seek(ns);
}

}  // namespace zelko::mci
