// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mci/command_words.h"

namespace zelko::mci {

struct KeywordRule;
struct VerbEntry;

// Reads a decimal integer with an optional leading minus and nothing else; false otherwise
// (also when it has more than 18 digits).
bool parseInteger(std::string_view text, int64_t& value);

// A keyword found in a command, with the words that came with it (none for a flag, one for a
// value, four for a rectangle), as written; the handlers get them read into their types.
struct Argument {
    const KeywordRule* rule = nullptr;
    std::vector<std::string> values;
};

// A command checked against the verb table: the verb, the device word (an alias, "all", or for
// open the file name, as written) and the keywords in the order given.
struct ParsedCommand {
    const VerbEntry* verb = nullptr;
    std::string device;
    std::vector<Argument> arguments;

    const Argument* find(std::string_view keyword) const;
    bool has(std::string_view keyword) const { return find(keyword) != nullptr; }
};

// Tokenizes `command` and checks every word against the verb table, touching no device.
// Returns 0 or the code of the first fault: 267 empty, 261 unknown verb, 292 no device word
// (also a keyword where it belongs),
// 259 unknown keyword, 273 a value missing, 270 a rectangle that is not four integers,
// 295 a keyword given twice, or the tokenizer's 294 and 305.
uint32_t parseCommand(std::string_view command, ParsedCommand& parsed);

}  // namespace zelko::mci
