// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelko::mci {

class Arguments;
class Device;
class Session;

// What follows a keyword, and the type its value is read into before a handler runs.
enum class ValueKind {
    Flag,        // the word alone: "wait", "length"
    Word,        // one word kept as text: "alias movie", "time format ms"
    DeviceType,  // a type the engine opens, else 263: "type MPEGVideo"
    Integer,     // one decimal integer: "speed 2000", "parent 71303175"
    Time,        // a position in the device's time format, within the media: "from 1500"
    TimeOrEnd,   // a Time, or the word start or end: "seek movie to end"
    Rectangle,   // four 32-bit integers: "window at 0 0 320 240"
};

// What a keyword stands for in its command.
enum class Role {
    Modifier,  // changes how the verb acts: "from", "wait", "alias"
    Item,      // what the verb reads or changes; a command names exactly one (273 none, 284 more)
    Setting,   // a value the verb applies; a command names at least one (273 none)
};

// Runs a command on the device it names, already looked up, with its values read; on the
// caller's thread. Returns the MCI code; `reply` is the text handed back on success.
using DeviceHandler = uint32_t (*)(Device& device, const Arguments& arguments, std::string& reply);
// Runs open or close, whose device word is a file name or "all" rather than an open alias.
using SessionHandler = uint32_t (*)(Session& session, std::string_view name, const Arguments& arguments,
                                    std::string& reply);

// A keyword a verb allows. `follower` is a second word that must come right after it
// ("time" "format", "window" "at"); empty when there is none. An item runs its own handler.
struct KeywordRule {
    std::string_view name;
    ValueKind kind = ValueKind::Flag;
    Role role = Role::Modifier;
    std::string_view follower;
    DeviceHandler handler = nullptr;
};

// A verb: the keywords it allows and what runs it. A verb on an open device either has a
// handler or hands each of its items to the item's own.
struct VerbEntry {
    std::string_view name;
    std::span<const KeywordRule> keywords;
    DeviceHandler onDevice = nullptr;
    SessionHandler onSession = nullptr;
};

// Every verb the engine knows, in the table's order.
std::span<const VerbEntry> allVerbs();

// The verb with this name (any letter case), or null.
const VerbEntry* findVerb(std::string_view name);

// The keyword of `verb` with this name (lower case), or null.
const KeywordRule* findKeyword(const VerbEntry& verb, std::string_view lowerName);

}  // namespace zelko::mci
