// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/mci_calls.h"

#include <array>

#include "media/command_buffer.h"
#include "media/reply_parse.h"

namespace zelko::media {

uint32_t sendCommand(MciChannel& channel, std::string_view command)
{
    return channel.sendString(command, nullptr, 0, 0);
}

uint32_t sendQuery(MciChannel& channel, std::string_view command, std::string& reply)
{
    std::array<char, kReplyLength> buffer{};
    uint32_t code = channel.sendString(command, buffer.data(), kReplyLength, 0);
    reply = replyText(buffer.data(), buffer.size());
    return code;
}

std::string resultText(MciChannel& channel, uint32_t code)
{
    if (code == 0) {
        return "Success";
    }
    std::array<char, kReplyLength> buffer{};
    channel.getErrorString(code, buffer.data(), kReplyLength);
    return std::string(replyText(buffer.data(), buffer.size()));
}

QueryResult readQuery(uint32_t code, std::string_view reply)
{
    if (code != 0) {
        return {};
    }
    std::optional<int32_t> value = leadingInt32(reply);
    if (!value) {
        return {QueryResult::Status::TooLarge, -1};
    }
    return {QueryResult::Status::Value, *value};
}

}  // namespace zelko::media
