// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/command_words.h"

#include "platform/ascii.h"
#include "platform/mci_error_codes.h"

namespace zelko::mci {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads a quoted word starting at `pos` (on the opening quote); moves `pos` past the closing one.
uint32_t readQuoted(std::string_view command, size_t& pos, std::string& text)
{
    ++pos;
    while (pos < command.size()) {
        if (command[pos] != '"') {
            text += command[pos++];
        } else if (pos + 1 < command.size() && command[pos + 1] == '"') {
            text += '"';
            pos += 2;
        } else {
            ++pos;
            return (pos < command.size() && !isBlank(command[pos])) ? code::kExtraCharacters : code::kSuccess;
        }
    }
    return code::kNoClosingQuote;
}

}  // namespace

uint32_t tokenize(std::string_view command, std::vector<Token>& tokens)
{
    tokens.clear();
    size_t pos = 0;
    while (pos < command.size()) {
        if (isBlank(command[pos])) {
            ++pos;
            continue;
        }
        Token token;
        if (command[pos] == '"') {
            token.quoted = true;
            if (const uint32_t result = readQuoted(command, pos, token.text); result != 0) {
                tokens.clear();
                return result;
            }
        } else {
            const size_t start = pos;
            while (pos < command.size() && !isBlank(command[pos])) {
                ++pos;
            }
            token.text.assign(command.substr(start, pos - start));
        }
        tokens.push_back(std::move(token));
    }
    return code::kSuccess;
}

std::optional<std::string> fileOpenedBy(std::string_view command)
{
    // Most commands are the timers' queries: they are not split into words for this.
    const size_t start = command.find_first_not_of(" \t");
    if (start == std::string_view::npos || command.size() - start < 5 ||
        platform::asciiLower(command.substr(start, 4)) != "open" || !isBlank(command[start + 4])) {
        return std::nullopt;
    }
    std::vector<Token> tokens;
    if (tokenize(command, tokens) != code::kSuccess || tokens.size() < 2 || tokens[0].quoted ||
        platform::asciiLower(tokens[0].text) != "open") {
        return std::nullopt;
    }
    return std::move(tokens[1].text);
}

}  // namespace zelko::mci
