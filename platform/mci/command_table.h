#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelko::mci {

class Session;
struct ParsedCommand;

enum class ValueKind {
    Flag,       // the word alone: "wait", "length"
    Value,      // one word follows: "alias movie", "time format ms"
    Rectangle,  // four integers follow: "window at 0 0 320 240"
};

// A keyword a verb allows. `follower` is a second word that must come right after it
// ("time" "format", "window" "at"); empty when there is none.
struct KeywordRule {
    std::string_view name;
    std::string_view follower;
    ValueKind kind;
};

// Runs one parsed command on the caller's thread; writes the reply text and returns the code.
using Handler = uint32_t (*)(Session& session, const ParsedCommand& command, std::string& reply);

struct VerbEntry {
    std::string_view name;
    Handler handler;
    std::span<const KeywordRule> keywords;
};

// The verb with this name (any letter case), or null.
const VerbEntry* findVerb(std::string_view name);

// The keyword of `verb` with this name (lower case), or null.
const KeywordRule* findKeyword(const VerbEntry& verb, std::string_view lowerName);

}  // namespace zelko::mci
