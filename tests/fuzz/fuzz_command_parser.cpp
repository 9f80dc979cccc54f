// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the MCI command parser as a command text. The parser must answer
// every input with a code and never read out of bounds; what it accepts must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mci/command_parser.h"
#include "platform/ascii.h"
#include "platform/mci/command_table.h"

namespace zelko {

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zelko::mci;
    const std::string_view command(reinterpret_cast<const char*>(data), size);

    std::vector<Token> tokens;
    const uint32_t tokenCode = tokenize(command, tokens);
    if (tokenCode == 0) {
        for (const Token& token : tokens) {
            require(token.quoted || !token.text.empty());
        }
    }

    ParsedCommand parsed;
    const uint32_t code = parseCommand(command, parsed);
    if (code == 0) {
        require(parsed.verb != nullptr);
        require(tokenCode == 0);
        for (const Argument& argument : parsed.arguments) {
            require(argument.rule != nullptr && parsed.find(argument.rule->name) == &argument);
        }
    }

    // The media layer pads every command with blanks to 128 or 255 characters; padding must
    // never change the answer.
    std::string padded(command);
    padded.append(255, ' ');
    ParsedCommand parsedPadded;
    require(parseCommand(padded, parsedPadded) == code);

    int64_t value = 0;
    if (parseInteger(command, value) && size > 0) {
        require(command.find_first_not_of("-0123456789") == std::string_view::npos);
    }
    (void)platform::asciiLower(command);
    return 0;
}

}  // namespace zelko
