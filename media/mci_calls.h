// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/mci_channel.h"

namespace zelko::media {

// Sends a command whose reply is not read: no reply buffer, length 0, callback window 0.
uint32_t sendCommand(MciChannel& channel, std::string_view command);

// Sends a command with a 128-character reply buffer; `reply` receives the text up to its NUL.
uint32_t sendQuery(MciChannel& channel, std::string_view command, std::string& reply);

// "Success" for code 0, otherwise the channel's description of the code.
std::string resultText(MciChannel& channel, uint32_t code);

// What a numeric device query gave: its value, a failure (non-zero code), or a reply whose
// value does not fit a signed 32-bit integer.
struct QueryResult {
    enum class Status { Value, Failed, TooLarge };
    Status status = Status::Failed;
    int32_t value = -1;

    bool failed() const { return status == Status::Failed; }
    bool tooLarge() const { return status == Status::TooLarge; }
    // As the public queries answer: the value, or -1 for a failure or a value beyond 32 bits.
    int32_t orMinusOne() const { return status == Status::Value ? value : -1; }
};

// The reply's leading number for code 0; Failed for any other code.
QueryResult readQuery(uint32_t code, std::string_view reply);

}  // namespace zelko::media
