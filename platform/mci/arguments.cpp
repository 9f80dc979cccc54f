// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/arguments.h"

#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"
#include "platform/mci/device.h"
#include "platform/mci/errors.h"

#include <algorithm>
#include <array>
#include <climits>

namespace zelko::mci {

namespace {

// Every device type the player may name opens the same GStreamer device.
constexpr std::array<std::string_view, 4> kDeviceTypes{"mpegvideo", "waveaudio", "sequencer", "avivideo"};

// A time in the device's current format, within 0..length, into nanoseconds.
uint32_t readTime(const Device& device, std::string_view text, int64_t& ns)
{
    int64_t units = 0;
    if (!parseInteger(text, units)) {
        return code::kBadInteger;
    }
    const int64_t lengthUnits = toUnits(device, device.lengthNs());
    if (units < 0 || units > lengthUnits) {
        return code::kOutOfRange;
    }
    // The length in units stands for the very end, not for the nearest whole unit.
    ns = units == lengthUnits ? device.lengthNs() : unitsToNs(units, device.timeFormat(), device.framesPerSecond());
    return code::kSuccess;
}

// Four integers the parser has checked; each must fit 32 bits.
uint32_t readRectangle(const std::vector<std::string>& words, Rect& rect)
{
    std::array<int64_t, 4> numbers{};
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (!parseInteger(words[i], numbers[i]) || numbers[i] < INT32_MIN || numbers[i] > INT32_MAX) {
            return code::kBadInteger;
        }
    }
    rect = {numbers[0], numbers[1], numbers[2], numbers[3]};
    return code::kSuccess;
}

// 273 when the verb has items or settings and the command names none, 284 for two items.
uint32_t checkRoles(const ParsedCommand& command, const KeywordRule*& item)
{
    int items = 0;
    int settings = 0;
    for (const Argument& argument : command.arguments) {
        if (argument.rule->role == Role::Item) {
            item = argument.rule;
            ++items;
        }
        settings += argument.rule->role == Role::Setting ? 1 : 0;
    }
    const auto& keywords = command.verb->keywords;
    const auto takes = [&](Role role) {
        return std::ranges::any_of(keywords, [role](const KeywordRule& rule) { return rule.role == role; });
    };
    if ((takes(Role::Item) && items == 0) || (takes(Role::Setting) && settings == 0)) {
        return code::kMissingParameter;
    }
    return items > 1 ? code::kFlagsNotCompatible : code::kSuccess;
}

}  // namespace

uint32_t Arguments::read(const ParsedCommand& command, const Device* device)
{
    m_values.clear();
    m_item = nullptr;
    if (const uint32_t result = checkRoles(command, m_item); result != 0) {
        return result;
    }
    for (const KeywordRule& rule : command.verb->keywords) {
        const Argument* argument = command.find(rule.name);
        if (argument == nullptr) {
            continue;
        }
        Value value{&rule, {}, 0, {}};
        if (const uint32_t result = readValue(argument->values, device, value); result != 0) {
            return result;
        }
        m_values.push_back(std::move(value));
    }
    return code::kSuccess;
}

uint32_t Arguments::readValue(const std::vector<std::string>& words, const Device* device, Value& value) const
{
    switch (value.rule->kind) {
    case ValueKind::Flag: return code::kSuccess;
    case ValueKind::Word: value.word = words[0]; return code::kSuccess;
    case ValueKind::DeviceType:
        value.word = words[0];
        return std::ranges::find(kDeviceTypes, platform::asciiLower(words[0])) != kDeviceTypes.end()
                   ? code::kSuccess
                   : code::kInvalidDeviceName;
    case ValueKind::Integer: return parseInteger(words[0], value.number) ? code::kSuccess : code::kBadInteger;
    case ValueKind::TimeOrEnd:
        if (const std::string lower = platform::asciiLower(words[0]); lower == "start" || lower == "end") {
            value.number = lower == "start" ? 0 : device->lengthNs();
            return code::kSuccess;
        }
        [[fallthrough]];
    case ValueKind::Time: return readTime(*device, words[0], value.number);
    case ValueKind::Rectangle: return readRectangle(words, value.rect);
    }
    return code::kSuccess;
}

const Arguments::Value* Arguments::find(std::string_view keyword) const
{
    for (const Value& value : m_values) {
        if (value.rule->name == keyword) {
            return &value;
        }
    }
    return nullptr;
}

std::optional<std::string_view> Arguments::word(std::string_view keyword) const
{
    const Value* value = find(keyword);
    return value != nullptr ? std::optional<std::string_view>(value->word) : std::nullopt;
}

std::optional<int64_t> Arguments::integer(std::string_view keyword) const
{
    const Value* value = find(keyword);
    return value != nullptr ? std::optional<int64_t>(value->number) : std::nullopt;
}

std::optional<int64_t> Arguments::timeNs(std::string_view keyword) const
{
    return integer(keyword);
}

std::optional<Rect> Arguments::rectangle(std::string_view keyword) const
{
    const Value* value = find(keyword);
    return value != nullptr ? std::optional<Rect>(value->rect) : std::nullopt;
}

int64_t toUnits(const Device& device, int64_t ns)
{
    return nsToUnits(ns, device.timeFormat(), device.framesPerSecond());
}

}  // namespace zelko::mci
