// SPDX-License-Identifier: GPL-3.0-or-later
// ModuleMultimedia's status and geometry operations: length, position, percent played, frame
// rate, end of media, video size and the video window's place.
#include "media/module_multimedia.h"

#include <optional>

#include "media/device_queries.h"
#include "media/mci_calls.h"
#include "media/reply_parse.h"
#include "platform/ascii.h"
#include "platform/rounding.h"

namespace zelko::media {

namespace {

// The width ("cx": the blank before the third number and that number) or the height ("cy":
// everything after the third blank) of a destination reply "left top width height".
std::optional<int32_t> destinationSize(std::string_view reply, bool width)
{
    std::size_t b1 = reply.find(' ');
    std::size_t b2 = b1 == reply.npos ? reply.npos : reply.find(' ', b1 + 1);
    std::size_t b3 = b2 == reply.npos ? reply.npos : reply.find(' ', b2 + 1);
    if (b3 == reply.npos) {
        return std::nullopt;
    }
    return width ? sliceInt32(reply.substr(b2, b3 - b2)) : sliceInt32(reply.substr(b3 + 1));
}

bool equalsIgnoringCase(const std::string& text, const char* lower)
{
    return platform::asciiLower(text) == lower;
}

int32_t clampedDifference(int32_t high, int32_t low)
{
    int64_t difference = int64_t{high} - low;
    return difference < INT32_MIN || difference > INT32_MAX ? 0 : static_cast<int32_t>(difference);
}

}  // namespace

Task<int32_t> ModuleMultimedia::GetLengthMs(std::string alias)
{
    const QueryResult length = co_await queryLengthMs(m_channel, alias);
    co_return length.orMinusOne();
}

Task<int32_t> ModuleMultimedia::GetCurrentFrame(std::string alias)
{
    const QueryResult position = co_await queryCurrentFrame(m_channel, alias);
    co_return position.orMinusOne();
}

Task<int32_t> ModuleMultimedia::GetPercentPlayed(std::string alias)
{
    // An arithmetic fault gives 0 at the point where it happens, as a value beyond 32 bits does.
    const QueryResult total = co_await queryTotalFrames(m_channel, alias);
    if (total.tooLarge()) {
        co_return 0;
    }
    const QueryResult position = co_await queryCurrentFrame(m_channel, alias);
    if (position.tooLarge()) {
        co_return 0;
    }
    if (total.value == -1 || position.value == -1) {
        co_return -1;
    }
    int64_t hundredfold = int64_t{position.value} * 100;
    if (hundredfold < INT32_MIN || hundredfold > INT32_MAX || total.value == 0) {
        co_return 0;
    }
    co_return platform::roundHalfEven(static_cast<double>(hundredfold) / total.value).value_or(0);
}

Task<int32_t> ModuleMultimedia::GetFramesPerSecond(std::string alias)
{
    const int32_t lengthMs = co_await GetLengthMs(alias);
    const int32_t frames = co_await GetTotalFrames(alias);
    if (lengthMs == -1 || frames == -1 || lengthMs == 0) {
        co_return -1;
    }
    co_return platform::roundHalfEven(frames / (lengthMs / 1000.0)).value_or(-1);
}

Task<bool> ModuleMultimedia::IsAtEnd(std::string alias, int32_t& lengthFrames)
{
    if (lengthFrames == 0) {
        lengthFrames = co_await GetTotalFrames(alias);
    }
    const int32_t position = co_await GetCurrentFrame(alias);
    if (lengthFrames == -1 || position == -1) {
        co_return false;
    }
    co_return position >= lengthFrames;
}

Task<bool> ModuleMultimedia::IsPlaying(std::string alias)
{
    const Reply mode = co_await sendQuery(m_channel, "status " + alias + " mode");
    co_return mode.code == 0 && mode.text == "playing";
}

Task<int32_t> ModuleMultimedia::GetVideoSize(std::string alias, std::string which)
{
    bool width = equalsIgnoringCase(which, "cx");
    if (!width && !equalsIgnoringCase(which, "cy")) {
        co_return -1;
    }
    const Reply destination = co_await sendQuery(m_channel, "Where " + alias + " destination");
    if (destination.code != 0) {
        co_return -1;
    }
    co_return destinationSize(destination.text, width).value_or(-1);
}

Task<std::string> ModuleMultimedia::PlaceVideoWindow(int32_t window, std::string alias, int32_t x, int32_t y,
                                                     int32_t& width, int32_t& height)
{
    if (width == 0 || height == 0) {
        // A failed call leaves the rectangle at 0, so both sizes become 0.
        zelko::platform::WindowRect rect;
        m_channel.getWindowRect(window, rect);
        width = clampedDifference(rect.right, rect.left);
        height = clampedDifference(rect.bottom, rect.top);
    }
    std::string command = "put " + alias + " window at " + std::to_string(x) + " " + std::to_string(y) + " " +
                          std::to_string(width) + " " + std::to_string(height);
    const Reply placed = co_await sendCommand(m_channel, std::move(command));
    co_return Result(placed.code);
}

}  // namespace zelko::media
