// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/engine.h"

#include "platform/mci/arguments.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"
#include "platform/mci/errors.h"
#include "platform/mci/log.h"
#include "platform/mci/session.h"
#include "platform/mci/trace.h"
#include "platform/mci/warm_up.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace zelko::mci {

struct Engine::Impl {
    Session session;
    Trace trace;
    // The reason behind the latest failure of each code, told by getErrorString for that code.
    std::map<uint32_t, ErrorDetail> details;
    WarmUp warmUp;  // declared last, so its thread has ended before the devices close
};

namespace {

// Looks up the device the command names, reads its values into their types, and hands both to
// the verb's handler, or to the handler of the item the command names.
uint32_t runCommand(Session& session, const ParsedCommand& command, std::string& reply)
{
    const VerbEntry& verb = *command.verb;
    Device* device = nullptr;
    if (verb.onSession == nullptr) {
        if (const uint32_t result = session.lookup(command.device, device); result != 0) {
            return result;
        }
    }
    Arguments arguments;
    if (const uint32_t result = arguments.read(command, device); result != 0) {
        return result;
    }
    if (verb.onSession != nullptr) {
        return verb.onSession(session, command.device, arguments, reply);
    }
    const KeywordRule* item = arguments.item();
    return (item != nullptr ? item->handler : verb.onDevice)(*device, arguments, reply);
}

}  // namespace

Engine::Engine() : m_impl(std::make_unique<Impl>())
{
    initGStreamer();
    gst_pb_utils_init();
}

Engine::~Engine() = default;

void Engine::warmUp()
{
    m_impl->warmUp.start();
}

uint32_t Engine::sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t)
{
    if (reply != nullptr && replyLength > 0) {
        reply[0] = '\0';
    }
    ParsedCommand parsed;
    std::string text;
    uint32_t result = parseCommand(command, parsed);
    if (result == 0) {
        m_impl->session.drainAll();
        result = runCommand(m_impl->session, parsed, text);
    }
    if (result == 0 && reply != nullptr && replyLength > 0) {
        if (text.size() >= replyLength) {
            result = code::kParamOverflow;
        } else {
            std::memcpy(reply, text.data(), text.size());
            reply[text.size()] = '\0';
        }
    }
    ErrorDetail detail = m_impl->session.takeDetail();
    if (result != 0 && detail.text.empty()) {
        m_impl->details.erase(result);
    } else if (result != 0) {
        m_impl->details[result] = std::move(detail);
    }
    m_impl->trace.record(result, command);
    return result;
}

bool Engine::getErrorString(uint32_t errorCode, char* buffer, uint32_t length) const
{
    std::string_view text = errorDescription(errorCode);
    if (text.empty()) {
        return false;
    }
    if (const auto found = m_impl->details.find(errorCode); found != m_impl->details.end()) {
        text = found->second.text;
    }
    if (buffer != nullptr && length > 0) {
        const size_t count = std::min<size_t>(text.size(), length - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
    }
    return true;
}

std::string Engine::missingDecoder(uint32_t errorCode) const
{
    return errorDetail(errorCode).missingDecoder;
}

platform::ErrorDetail Engine::errorDetail(uint32_t errorCode) const
{
    const auto found = m_impl->details.find(errorCode);
    return found != m_impl->details.end() ? found->second : ErrorDetail{};
}

std::vector<int> Engine::changeFds()
{
    std::vector<int> fds;
    m_impl->session.forEach([&fds](const std::string&, Device& device) {
        fds.push_back(device.busFd());
        if (const int window = device.windowFd(); window >= 0) {
            fds.push_back(window);
        }
    });
    return fds;
}

void Engine::drain()
{
    m_impl->session.drainAll();
}

std::vector<Engine::DeviceStatus> Engine::statuses()
{
    std::vector<DeviceStatus> statuses;
    m_impl->session.forEach([&statuses](const std::string& alias, Device& device) {
        DeviceStatus status;
        status.alias = alias;
        // The position first: reading it may move the length of a stream that runs past it.
        status.positionNs = device.positionNs();
        status.readAt = std::chrono::steady_clock::now();
        status.mode = device.mode() == Mode::Playing  ? DeviceStatus::Mode::Playing
                      : device.mode() == Mode::Paused ? DeviceStatus::Mode::Paused
                                                      : DeviceStatus::Mode::Stopped;
        status.frames = device.timeFormat() == TimeFormat::Frames;
        status.picture = device.hasVideo();
        status.framesPerSecond = device.framesPerSecond();
        status.lengthNs = device.lengthNs();
        status.rate = device.mode() == Mode::Playing ? device.appliedRate() : 0.0;
        status.endNs = device.endNs();
        statuses.push_back(std::move(status));
    });
    return statuses;
}

void Engine::setFileOpener(FileOpener opener)
{
    m_impl->session.setFileOpener(std::move(opener));
}

std::optional<platform::TrackTags> Engine::tags(const platform::FileIdentity& file)
{
    return m_impl->session.tags(file);
}

}  // namespace zelko::mci
