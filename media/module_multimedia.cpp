// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/module_multimedia.h"

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
std::string shortPathText(const Reply& found)
{
    if (found.code == 0 || found.code >= kShortPathLength) {
        return {};
    }
    return found.text;
}

}  // namespace

Task<std::string> ModuleMultimedia::ResultOf(std::string command)
{
    const Reply reply = co_await sendCommand(m_channel, std::move(command));
    co_return Result(reply.code);
}

std::string ModuleMultimedia::Result(uint32_t code)
{
    std::string text = resultText(m_channel, code);
    if (code != 0) {
        m_lastFailure = {{text, m_channel.missingDecoder(code)}, code};
    }
    return text;
}

Task<std::string> ModuleMultimedia::OpenMedia(int32_t parentWindow, std::string alias, std::string path,
                                              std::string deviceType)
{
    // The path is looked up where the disk it is on may take its time: the task waits for it.
    const Reply shortened = co_await findShortPath(m_channel, std::move(path));
    std::string command = "open " + shortPathText(shortened) + " type " + deviceType + " Alias " + alias + " parent " +
                          std::to_string(parentWindow) + " Style " + kChildWindowStyle;
    const Reply opened = co_await sendCommand(m_channel, holdInBuffer(std::move(command), kOpenCommandLength));
    co_return Result(opened.code);
}

Task<std::string> ModuleMultimedia::PlayMedia(std::string alias, std::string start, std::string end)
{
    std::string from = start.empty() ? "0" : start;
    std::string to = end;
    if (end.empty()) {
        const int32_t frames = co_await GetTotalFrames(alias);
        to = std::to_string(frames);
    }
    std::string command = "play " + alias + " from " + from + " to " + to;
    const Reply played = co_await sendCommand(m_channel, holdInBuffer(std::move(command), kShortCommandLength));
    co_return Result(played.code);
}

Task<std::string> ModuleMultimedia::PauseMedia(std::string alias)
{
    return ResultOf("Pause " + alias);
}

Task<std::string> ModuleMultimedia::ResumeMedia(std::string alias)
{
    return ResultOf("Resume " + alias);
}

Task<std::string> ModuleMultimedia::StopMedia(std::string alias)
{
    return ResultOf("Stop " + alias);
}

Task<std::string> ModuleMultimedia::CloseMedia(std::string alias)
{
    return ResultOf("Close " + alias);
}

Task<std::string> ModuleMultimedia::CloseAllMedia()
{
    return ResultOf("Close All");
}

Task<std::string> ModuleMultimedia::SeekMedia(std::string alias, int32_t position)
{
    const Reply sought = co_await sendCommand(m_channel, "seek " + alias + " to " + std::to_string(position));
    // A seek always plays on from the new place; whether that play worked is not reported.
    co_await sendCommand(m_channel, "Play " + alias);
    co_return Result(sought.code);
}

Task<std::string> ModuleMultimedia::SetPlaybackSpeed(std::string alias, int32_t percent)
{
    int64_t thousandths = int64_t{percent} * 10;
    if (thousandths < INT32_MIN || thousandths > INT32_MAX) {
        // Refused here, as the engine refuses a value that does not fit its command.
        co_return Result(mci::code::kOutOfRange);
    }
    std::string command = "set " + alias + " speed " + std::to_string(thousandths);
    const Reply set = co_await sendCommand(m_channel, holdInBuffer(std::move(command), kShortCommandLength));
    co_return Result(set.code);
}

Task<int32_t> ModuleMultimedia::GetPlaybackSpeed(std::string alias)
{
    const Reply reply = co_await sendQuery(m_channel, holdInBuffer("status " + alias + " speed", kShortCommandLength));
    if (reply.code != 0) {
        co_return -1;
    }
    double thousandths = leadingNumber(reply.text);
    if (!platform::roundHalfEven(thousandths)) {
        co_return -1;  // the reply itself does not fit 32 bits
    }
    co_return platform::roundHalfEven(thousandths / 10.0).value_or(-1);
}

Task<std::string> ModuleMultimedia::SetVolume(std::string alias, int32_t volume)
{
    return ResultOf("setaudio " + alias + " volume to " + std::to_string(volume));
}

Task<int32_t> ModuleMultimedia::GetVolume(std::string alias)
{
    const Reply reply = co_await sendQuery(m_channel, "status " + alias + " volume");
    co_return readQuery(reply).orMinusOne();
}

Task<int32_t> ModuleMultimedia::GetTotalFrames(std::string alias)
{
    const QueryResult frames = co_await queryTotalFrames(m_channel, alias);
    co_return frames.orMinusOne();
}

}  // namespace zelko::media
