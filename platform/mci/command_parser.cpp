// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/command_parser.h"

#include "platform/ascii.h"
#include "platform/mci/command_table.h"
#include "platform/mci/errors.h"

namespace zelko::mci {

namespace {

uint32_t readArgument(const KeywordRule& rule, const std::vector<Token>& tokens, size_t& next, Argument& argument)
{
    if (!rule.follower.empty()) {
        if (next >= tokens.size()) {
            return code::kMissingParameter;
        }
        if (platform::asciiLower(tokens[next].text) != rule.follower) {
            return code::kUnrecognizedKeyword;
        }
        ++next;
    }
    switch (rule.kind) {
    case ValueKind::Flag: return code::kSuccess;
    case ValueKind::Word:
    case ValueKind::DeviceType:
    case ValueKind::Integer:
    case ValueKind::Time:
    case ValueKind::TimeOrEnd:
        // Read into its type once the device is known: an alias that is not open answers 263
        // before a faulty number does.
        if (next >= tokens.size()) {
            return code::kMissingParameter;
        }
        argument.values.push_back(tokens[next++].text);
        return code::kSuccess;
    case ValueKind::Rectangle:
        for (int i = 0; i < 4; ++i) {
            int64_t number = 0;
            if (next >= tokens.size() || !parseInteger(tokens[next].text, number)) {
                return code::kBadInteger;
            }
            argument.values.push_back(tokens[next++].text);
        }
        return code::kSuccess;
    }
    return code::kSuccess;
}

}  // namespace

bool parseInteger(std::string_view text, int64_t& value)
{
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 18) {
        return false;
    }
    int64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    value = negative ? -result : result;
    return true;
}

const Argument* ParsedCommand::find(std::string_view keyword) const
{
    for (const Argument& argument : arguments) {
        if (argument.rule->name == keyword) {
            return &argument;
        }
    }
    return nullptr;
}

uint32_t parseCommand(std::string_view command, ParsedCommand& parsed)
{
    parsed = ParsedCommand{};
    std::vector<Token> tokens;
    if (const uint32_t result = tokenize(command, tokens); result != 0) {
        return result;
    }
    if (tokens.empty()) {
        return code::kMissingCommandString;
    }
    parsed.verb = tokens[0].quoted ? nullptr : findVerb(tokens[0].text);
    if (parsed.verb == nullptr) {
        return code::kUnrecognizedCommand;
    }
    // A keyword where the device belongs means the name is missing: the media layer sends
    // "open  type MPEGVideo ..." when a file has no short path (it does not exist).
    if (tokens.size() < 2 ||
        (!tokens[1].quoted && findKeyword(*parsed.verb, platform::asciiLower(tokens[1].text)) != nullptr)) {
        return code::kMissingDeviceName;
    }
    parsed.device = tokens[1].text;
    size_t next = 2;
    while (next < tokens.size()) {
        const KeywordRule* rule = findKeyword(*parsed.verb, platform::asciiLower(tokens[next].text));
        if (rule == nullptr || tokens[next].quoted) {
            return code::kUnrecognizedKeyword;
        }
        if (parsed.has(rule->name)) {
            return code::kDuplicateFlags;
        }
        ++next;
        Argument argument{rule, {}};
        if (const uint32_t result = readArgument(*rule, tokens, next, argument); result != 0) {
            return result;
        }
        parsed.arguments.push_back(std::move(argument));
    }
    return code::kSuccess;
}

}  // namespace zelko::mci
