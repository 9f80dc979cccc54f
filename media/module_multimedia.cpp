// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/module_multimedia.h"

#include <array>

#include "media/command_buffer.h"
#include "media/device_queries.h"
#include "media/mci_calls.h"
#include "media/reply_parse.h"
#include "platform/mci_error_codes.h"
#include "platform/rounding.h"

namespace zelko::media {

namespace {

// The child-window style (0x40000000), always written in decimal.
constexpr const char* kChildWindowStyle = "1073741824";

// The short form of the path as the 255-character buffer holds it. A form that does not fit
// (the call answers with the size it needs) counts as no short form at all: cutting it could
// name another file.
std::string shortPath(MciChannel& channel, const std::string& path)
{
    std::array<char, kShortPathLength> buffer{};
    uint32_t length = channel.getShortPathName(path.c_str(), buffer.data(), kShortPathLength);
    if (length == 0 || length >= kShortPathLength) {
        return {};
    }
    return std::string(buffer.data(), length);
}

}  // namespace

std::string ModuleMultimedia::Result(uint32_t code)
{
    std::string text = resultText(m_channel, code);
    if (code != 0) {
        m_lastFailure = {{text, m_channel.missingDecoder(code)}, code};
    }
    return text;
}

std::string ModuleMultimedia::OpenMedia(int32_t parentWindow, const std::string& alias, const std::string& path,
                                        const std::string& deviceType)
{
    std::string command = "open " + shortPath(m_channel, path) + " type " + deviceType + " Alias " + alias +
                          " parent " + std::to_string(parentWindow) + " Style " + kChildWindowStyle;
    return Result(sendCommand(m_channel, holdInBuffer(command, kOpenCommandLength)));
}

std::string ModuleMultimedia::PlayMedia(const std::string& alias, const std::string& start, const std::string& end)
{
    std::string from = start.empty() ? "0" : start;
    std::string to = end.empty() ? std::to_string(GetTotalFrames(alias)) : end;
    std::string command = "play " + alias + " from " + from + " to " + to;
    return Result(sendCommand(m_channel, holdInBuffer(command, kShortCommandLength)));
}

std::string ModuleMultimedia::PauseMedia(const std::string& alias)
{
    return Result(sendCommand(m_channel, "Pause " + alias));
}

std::string ModuleMultimedia::ResumeMedia(const std::string& alias)
{
    return Result(sendCommand(m_channel, "Resume " + alias));
}

std::string ModuleMultimedia::StopMedia(const std::string& alias)
{
    return Result(sendCommand(m_channel, "Stop " + alias));
}

std::string ModuleMultimedia::CloseMedia(const std::string& alias)
{
    return Result(sendCommand(m_channel, "Close " + alias));
}

std::string ModuleMultimedia::CloseAllMedia()
{
    return Result(sendCommand(m_channel, "Close All"));
}

std::string ModuleMultimedia::SeekMedia(const std::string& alias, int32_t position)
{
    uint32_t code = sendCommand(m_channel, "seek " + alias + " to " + std::to_string(position));
    // A seek always plays on from the new place; whether that play worked is not reported.
    sendCommand(m_channel, "Play " + alias);
    return Result(code);
}

std::string ModuleMultimedia::SetPlaybackSpeed(const std::string& alias, int32_t percent)
{
    int64_t thousandths = int64_t{percent} * 10;
    if (thousandths < INT32_MIN || thousandths > INT32_MAX) {
        // Refused here, as the engine refuses a value that does not fit its command.
        return Result(mci::code::kOutOfRange);
    }
    std::string command = "set " + alias + " speed " + std::to_string(thousandths);
    return Result(sendCommand(m_channel, holdInBuffer(command, kShortCommandLength)));
}

int32_t ModuleMultimedia::GetPlaybackSpeed(const std::string& alias)
{
    std::string reply;
    uint32_t code = sendQuery(m_channel, holdInBuffer("status " + alias + " speed", kShortCommandLength), reply);
    if (code != 0) {
        return -1;
    }
    double thousandths = leadingNumber(reply);
    if (!platform::roundHalfEven(thousandths)) {
        return -1;  // the reply itself does not fit 32 bits
    }
    return platform::roundHalfEven(thousandths / 10.0).value_or(-1);
}

std::string ModuleMultimedia::SetVolume(const std::string& alias, int32_t volume)
{
    return Result(sendCommand(m_channel, "setaudio " + alias + " volume to " + std::to_string(volume)));
}

int32_t ModuleMultimedia::GetVolume(const std::string& alias)
{
    std::string reply;
    const uint32_t code = sendQuery(m_channel, "status " + alias + " volume", reply);
    return readQuery(code, reply).orMinusOne();
}

int32_t ModuleMultimedia::GetTotalFrames(const std::string& alias)
{
    return queryTotalFrames(m_channel, alias).orMinusOne();
}

}  // namespace zelko::media
