// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/rect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::mci {

class Device;
struct KeywordRule;
struct ParsedCommand;

// The keywords of one command, their values read into the types the verb table gives them,
// and the one item the command names when its verb has items.
class Arguments {
public:
    // Checks the roles, then reads each value in the order of the verb's keywords, times
    // against `device` (null for open and close, which take no times). Returns 273 (no item or
    // no setting given), 284 (more than one item), 263 (a device type the engine does not
    // open), 270 (not a number, or a rectangle's number beyond 32 bits) or 282 (a time beyond
    // the media).
    uint32_t read(const ParsedCommand& command, const Device* device);

    bool has(std::string_view keyword) const { return find(keyword) != nullptr; }
    // Each is empty when the keyword was not given.
    std::optional<std::string_view> word(std::string_view keyword) const;
    std::optional<int64_t> integer(std::string_view keyword) const;
    std::optional<int64_t> timeNs(std::string_view keyword) const;
    std::optional<Rect> rectangle(std::string_view keyword) const;
    // The item the command names; null for a verb without items.
    const KeywordRule* item() const { return m_item; }

private:
    struct Value {
        const KeywordRule* rule = nullptr;
        std::string word;
        int64_t number = 0;  // an integer, or a time in nanoseconds
        Rect rect;
    };
    const Value* find(std::string_view keyword) const;
    uint32_t readValue(const std::vector<std::string>& words, const Device* device, Value& value) const;

    std::vector<Value> m_values;
    const KeywordRule* m_item = nullptr;
};

// A position in nanoseconds, in the device's current time format.
int64_t toUnits(const Device& device, int64_t ns);

}  // namespace zelko::mci
