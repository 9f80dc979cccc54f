// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/published_state.h"

#include <algorithm>
#include <cmath>
#include <poll.h>
#include <vector>

#include "platform/ascii.h"
#include "platform/mci/time_format.h"
#include "platform/mci_error_codes.h"

namespace zelko::channels {

namespace {

using mci::wire::PageDevice;
using mci::wire::PageMode;

enum class Item { Mode, Position, Length, TimeFormat };

struct Query {
    std::string alias;  // lower case
    Item item = Item::Mode;
};

// The command's words, split at runs of blanks and tabs as the engine splits them.
std::vector<std::string_view> wordsOf(std::string_view command)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while ((at = command.find_first_not_of(" \t", at)) != std::string_view::npos) {
        const size_t end = std::min(command.find_first_of(" \t", at), command.size());
        words.push_back(command.substr(at, end - at));
        at = end;
    }
    return words;
}

// The four queries, in the one form each takes; a quoted word is left to the engine.
std::optional<Query> queryOf(std::string_view command)
{
    const std::vector<std::string_view> words = wordsOf(command);
    if (words.size() < 3 || words.size() > 4 || command.find('"') != std::string_view::npos ||
        platform::asciiLower(words[0]) != "status") {
        return std::nullopt;
    }
    Query query{platform::asciiLower(words[1])};
    const std::string item = platform::asciiLower(words[2]);
    if (words.size() == 4) {
        if (item != "time" || platform::asciiLower(words[3]) != "format") {
            return std::nullopt;
        }
        query.item = Item::TimeFormat;
    } else if (item == "mode") {
        query.item = Item::Mode;
    } else if (item == "position") {
        query.item = Item::Position;
    } else if (item == "length") {
        query.item = Item::Length;
    } else {
        return std::nullopt;
    }
    return query;
}

// `set <alias> time format <format>`, in the one form it takes: the alias and the format.
std::optional<std::pair<std::string, std::string>> timeFormatSetBy(std::string_view command)
{
    const std::vector<std::string_view> words = wordsOf(command);
    if (words.size() != 5 || command.find('"') != std::string_view::npos || platform::asciiLower(words[0]) != "set" ||
        platform::asciiLower(words[2]) != "time" || platform::asciiLower(words[3]) != "format") {
        return std::nullopt;
    }
    return std::pair{platform::asciiLower(words[1]), platform::asciiLower(words[4])};
}

const char* modeText(PageMode mode)
{
    switch (mode) {
    case PageMode::Playing: return "playing";
    case PageMode::Paused: return "paused";
    case PageMode::Stopped: break;
    }
    return "stopped";
}

// Where the device stands now: the published position, carried on with the clock while it
// plays; nothing when that is not sure.
std::optional<int64_t> positionNow(const PageDevice& device, int64_t writtenNs)
{
    if (device.mode != PageMode::Playing) {
        return device.positionNs;
    }
    const int64_t nowNs = mci::wire::pageClockNs();
    if (!device.settled || device.rate <= 0.0 || nowNs < device.clockNs ||
        nowNs - writtenNs > std::chrono::nanoseconds(PublishedState::kStale).count()) {
        return std::nullopt;
    }
    const double positionNs =
        static_cast<double>(device.positionNs) + device.rate * static_cast<double>(nowNs - device.clockNs);
    if (positionNs >= static_cast<double>(device.endNs)) {
        return std::nullopt;
    }
    return std::llround(positionNs);
}

}  // namespace

platform::UniqueFd PublishedState::renew()
{
    m_page = mci::wire::StatePage::create();
    return m_page ? m_page->share() : platform::UniqueFd();
}

bool PublishedState::hostIsQuiet(int socket)
{
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 0;
}

std::optional<std::string> PublishedState::answer(std::string_view command, uint32_t replyLength) const
{
    const std::optional<Query> query = m_page ? queryOf(command) : std::nullopt;
    mci::wire::PageState state;
    if (!query || !m_page->read(state)) {
        return std::nullopt;
    }
    const auto found = std::find_if(state.devices.begin(), state.devices.end(),
                                    [&](const PageDevice& device) { return device.alias == query->alias; });
    if (found == state.devices.end()) {
        return std::nullopt;
    }
    const PageDevice& device = *found;
    const mci::TimeFormat format = device.frames ? mci::TimeFormat::Frames : mci::TimeFormat::Milliseconds;
    std::string reply;
    if (query->item == Item::TimeFormat) {
        reply = device.frames ? "frames" : "milliseconds";
    } else if (const std::optional<int64_t> positionNs = positionNow(device, state.writtenNs); !positionNs) {
        return std::nullopt;
    } else if (query->item == Item::Position) {
        reply = std::to_string(mci::nsToUnits(*positionNs, format, device.framesPerSecond));
    } else if (query->item == Item::Length) {
        reply = std::to_string(mci::nsToUnits(device.lengthNs, format, device.framesPerSecond));
    } else {
        reply = modeText(device.mode);
    }
    if (reply.size() >= replyLength) {
        return std::nullopt;  // the engine's 268, or a caller that reads no reply: the host says
    }
    return reply;
}

std::optional<uint32_t> PublishedState::unchangedBy(std::string_view command) const
{
    const auto set = m_page ? timeFormatSetBy(command) : std::nullopt;
    mci::wire::PageState state;
    if (!set || !m_page->read(state)) {
        return std::nullopt;
    }
    const auto& [alias, format] = *set;
    const auto found = std::find_if(state.devices.begin(), state.devices.end(),
                                    [&](const PageDevice& device) { return device.alias == alias; });
    if (found == state.devices.end()) {
        return std::nullopt;
    }
    if (format == "frames") {
        if (!found->picture) {
            return mci::code::kBadTimeFormat;
        }
        return found->frames ? std::optional<uint32_t>(0) : std::nullopt;
    }
    if (format == "ms" || format == "milliseconds") {
        return found->frames ? std::nullopt : std::optional<uint32_t>(0);
    }
    return std::nullopt;
}

}  // namespace zelko::channels
