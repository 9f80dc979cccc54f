#include "platform/mci/command_table.h"

#include "platform/mci/command_parser.h"
#include "platform/mci/handlers.h"

#include <array>

namespace zelko::mci {

namespace {

// "wait" and "notify" are allowed on every verb; callbacks are never sent, so notify is only
// accepted.
constexpr KeywordRule kWait{"wait", "", ValueKind::Flag};
constexpr KeywordRule kNotify{"notify", "", ValueKind::Flag};

constexpr std::array kOpenKeywords{
    KeywordRule{"type", "", ValueKind::Value},  KeywordRule{"alias", "", ValueKind::Value},
    KeywordRule{"parent", "", ValueKind::Value}, KeywordRule{"style", "", ValueKind::Value},
    KeywordRule{"shareable", "", ValueKind::Flag}, kWait, kNotify};
constexpr std::array kPlayKeywords{KeywordRule{"from", "", ValueKind::Value},
                                   KeywordRule{"to", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kPlainKeywords{kWait, kNotify};
constexpr std::array kSeekKeywords{KeywordRule{"to", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kSetKeywords{KeywordRule{"time", "format", ValueKind::Value},
                                  KeywordRule{"speed", "", ValueKind::Value}, kWait, kNotify};
constexpr std::array kStatusKeywords{
    KeywordRule{"length", "", ValueKind::Flag}, KeywordRule{"position", "", ValueKind::Flag},
    KeywordRule{"speed", "", ValueKind::Flag},  KeywordRule{"mode", "", ValueKind::Flag},
    KeywordRule{"ready", "", ValueKind::Flag},  KeywordRule{"time", "format", ValueKind::Flag},
    kWait, kNotify};
constexpr std::array kWhereKeywords{KeywordRule{"destination", "", ValueKind::Flag},
                                    KeywordRule{"source", "", ValueKind::Flag}, kWait, kNotify};
constexpr std::array kPutKeywords{KeywordRule{"window", "at", ValueKind::Rectangle},
                                  KeywordRule{"destination", "at", ValueKind::Rectangle}, kWait,
                                  kNotify};

// Every verb the engine knows: its handler and the keywords it allows. A word found nowhere
// here is an error, reported by the parser.
constexpr std::array kVerbs{
    VerbEntry{"open", handleOpen, kOpenKeywords},
    VerbEntry{"close", handleClose, kPlainKeywords},
    VerbEntry{"play", handlePlay, kPlayKeywords},
    VerbEntry{"pause", handlePause, kPlainKeywords},
    VerbEntry{"resume", handleResume, kPlainKeywords},
    VerbEntry{"stop", handleStop, kPlainKeywords},
    VerbEntry{"seek", handleSeek, kSeekKeywords},
    VerbEntry{"set", handleSet, kSetKeywords},
    VerbEntry{"status", handleStatus, kStatusKeywords},
    VerbEntry{"where", handleWhere, kWhereKeywords},
    VerbEntry{"put", handlePut, kPutKeywords},
};

}  // namespace

const VerbEntry* findVerb(std::string_view name)
{
    const std::string lower = toLower(name);
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
