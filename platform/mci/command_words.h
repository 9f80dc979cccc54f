// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::mci {

// One word of a command. A quoted word keeps its blanks and has its "" pairs read as one ".
struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a command into words at runs of blanks and tabs; blanks at either end are ignored.
// Returns 0, or 294 (a quote never closed) or 305 (characters right after a closing quote).
uint32_t tokenize(std::string_view command, std::vector<Token>& tokens);

// The file an "open" command names, as the engine reads it (its second word, unquoted); none
// for another verb or a command that does not split into words. The window opens that file
// for the engine host, which reads nothing but what it is handed.
std::optional<std::string> fileOpenedBy(std::string_view command);

}  // namespace zelko::mci
