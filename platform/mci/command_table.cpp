// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/command_table.h"

#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/handlers.h"

#include <array>

namespace zelko::mci {

namespace {

constexpr KeywordRule modifier(std::string_view name, ValueKind kind = ValueKind::Flag)
{
    return {name, kind, Role::Modifier, {}, nullptr};
}

constexpr KeywordRule setting(std::string_view name, ValueKind kind, std::string_view follower = {})
{
    return {name, kind, Role::Setting, follower, nullptr};
}

constexpr KeywordRule item(std::string_view name, DeviceHandler handler, ValueKind kind = ValueKind::Flag,
                           std::string_view follower = {})
{
    return {name, kind, Role::Item, follower, handler};
}

// "wait" and "notify" are allowed on every verb; callbacks are never sent, so notify is only
// accepted.
constexpr KeywordRule kWait = modifier("wait");
constexpr KeywordRule kNotify = modifier("notify");

// The type comes first: a type the engine does not know is reported before a faulty number.
constexpr std::array kOpenKeywords{modifier("type", ValueKind::DeviceType),
                                   modifier("alias", ValueKind::Word),
                                   modifier("parent", ValueKind::Integer),
                                   modifier("style", ValueKind::Integer),
                                   modifier("shareable"),
                                   kWait,
                                   kNotify};
constexpr std::array kPlainKeywords{kWait, kNotify};
// "from" is read before "to", so a command with two faulty times reports the first.
constexpr std::array kPlayKeywords{modifier("from", ValueKind::Time), modifier("to", ValueKind::Time), kWait, kNotify};
constexpr std::array kSeekKeywords{setting("to", ValueKind::TimeOrEnd), kWait, kNotify};
constexpr std::array kSetKeywords{setting("time", ValueKind::Word, "format"), setting("speed", ValueKind::Integer),
                                  kWait, kNotify};
constexpr std::array kStatusKeywords{item("length", statusLength),
                                     item("position", statusPosition),
                                     item("speed", statusSpeed),
                                     item("mode", statusMode),
                                     item("ready", statusReady),
                                     item("time", statusTimeFormat, ValueKind::Flag, "format"),
                                     item("volume", statusVolume),
                                     kWait,
                                     kNotify};
constexpr std::array kSetAudioKeywords{setting("volume", ValueKind::Integer, "to"), setting("on", ValueKind::Flag),
                                       setting("off", ValueKind::Flag), kWait, kNotify};
constexpr std::array kWhereKeywords{item("destination", whereDestination), item("source", whereSource), kWait, kNotify};
constexpr std::array kPutKeywords{item("window", putWindow, ValueKind::Rectangle, "at"),
                                  item("destination", putWindow, ValueKind::Rectangle, "at"), kWait, kNotify};

// Every verb the engine knows: the keywords it allows and what runs it. A word found nowhere
// here is an error, reported by the parser.
constexpr std::array kVerbs{
    VerbEntry{.name = "open", .keywords = kOpenKeywords, .onSession = handleOpen},
    VerbEntry{.name = "close", .keywords = kPlainKeywords, .onSession = handleClose},
    VerbEntry{.name = "play", .keywords = kPlayKeywords, .onDevice = handlePlay},
    VerbEntry{.name = "pause", .keywords = kPlainKeywords, .onDevice = handlePause},
    VerbEntry{.name = "resume", .keywords = kPlainKeywords, .onDevice = handleResume},
    VerbEntry{.name = "stop", .keywords = kPlainKeywords, .onDevice = handleStop},
    VerbEntry{.name = "seek", .keywords = kSeekKeywords, .onDevice = handleSeek},
    VerbEntry{.name = "set", .keywords = kSetKeywords, .onDevice = handleSet},
    VerbEntry{.name = "setaudio", .keywords = kSetAudioKeywords, .onDevice = handleSetAudio},
    VerbEntry{.name = "status", .keywords = kStatusKeywords},
    VerbEntry{.name = "where", .keywords = kWhereKeywords},
    VerbEntry{.name = "put", .keywords = kPutKeywords},
};

}  // namespace

std::span<const VerbEntry> allVerbs()
{
    return kVerbs;
}

const VerbEntry* findVerb(std::string_view name)
{
    const std::string lower = platform::asciiLower(name);
    for (const VerbEntry& verb : kVerbs) {
        if (verb.name == lower) {
            return &verb;
        }
    }
    return nullptr;
}

const KeywordRule* findKeyword(const VerbEntry& verb, std::string_view lowerName)
{
    for (const KeywordRule& keyword : verb.keywords) {
        if (keyword.name == lowerName) {
            return &keyword;
        }
    }
    return nullptr;
}

}  // namespace zelko::mci
