#include "platform/mci/command_table.h"

#include "platform/mci/command_parser.h"
#include "platform/mci/handlers.h"

#include <array>

namespace zelko::mci {

namespace {

// "wait" and "notify" are allowed on every verb; callbacks are never sent, so notify is only
// accepted.
constexpr KeywordSpec kWait{"wait", "", ValueKind::Flag};
constexpr KeywordSpec kNotify{"notify", "", ValueKind::Flag};

constexpr std::array kOpenKeywords{
    KeywordSpec{"type", "", ValueKind::Value},  KeywordSpec{"alias", "", ValueKind::Value},
    KeywordSpec{"parent", "", ValueKind::Value}, KeywordSpec{"style", "", ValueKind::Value},
    KeywordSpec{"shareable", "", ValueKind::Flag}, kWait, kNotify};
constexpr std::array kPlayKeywords{KeywordSpec{"from", "", ValueKind::Value},
                                   KeywordSpec{"to", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kPlainKeywords{kWait, kNotify};
constexpr std::array kSeekKeywords{KeywordSpec{"to", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kSetKeywords{KeywordSpec{"time", "format", ValueKind::Value},
                                  KeywordSpec{"speed", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kStatusKeywords{
    KeywordSpec{"length", "", ValueKind::Flag}, KeywordSpec{"position", "", ValueKind::Flag},
    KeywordSpec{"speed", "", ValueKind::Flag},  KeywordSpec{"mode", "", ValueKind::Flag},
    KeywordSpec{"ready", "", ValueKind::Flag},  KeywordSpec{"time", "format", ValueKind::Flag},
    kWait, kNotify};
constexpr std::array kWhereKeywords{KeywordSpec{"destination", "", ValueKind::Flag},
                                    KeywordSpec{"source", "", ValueKind::Flag}, kWait, kNotify};
constexpr std::array kPutKeywords{KeywordSpec{"window", "at", ValueKind::Rectangle},
                                  KeywordSpec{"destination", "at", ValueKind::Rectangle}, kWait,
                                  kNotify};

// Every verb the engine knows: its handler and the keywords it allows. A word found nowhere
// here is an error, reported by the parser.
constexpr std::array kVerbs{
    VerbSpec{"open", handleOpen, kOpenKeywords},
    VerbSpec{"close", handleClose, kPlainKeywords},
    VerbSpec{"play", handlePlay, kPlayKeywords},
    VerbSpec{"pause", handlePause, kPlainKeywords},
    VerbSpec{"resume", handleResume, kPlainKeywords},
    VerbSpec{"stop", handleStop, kPlainKeywords},
    VerbSpec{"seek", handleSeek, kSeekKeywords},
    VerbSpec{"set", handleSet, kSetKeywords},
    VerbSpec{"status", handleStatus, kStatusKeywords},
    VerbSpec{"where", handleWhere, kWhereKeywords},
    VerbSpec{"put", handlePut, kPutKeywords},
};

}  // namespace

const VerbSpec* findVerb(std::string_view name)
{
    const std::string lower = toLower(name);
    for (const VerbSpec& verb : kVerbs) {
        if (verb.name == lower) {
            return &verb;
        }
    }
    return nullptr;
}

const KeywordSpec* findKeyword(const VerbSpec& verb, std::string_view lowerName)
{
    for (const KeywordSpec& keyword : verb.keywords) {
        if (keyword.name == lowerName) {
            return &keyword;
        }
    }
    return nullptr;
}

}  // namespace zelko::mci
