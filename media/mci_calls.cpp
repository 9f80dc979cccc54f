// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/mci_calls.h"

#include <array>
#include <utility>

#include "media/command_buffer.h"
#include "media/reply_parse.h"

namespace zelko::media {

Command::Command(MciChannel& channel, std::string command, uint32_t replyLength)
    : m_channel(channel), m_command(std::move(command)), m_replyLength(replyLength)
{
}

Command::~Command()
{
    if (m_waiting && !m_waiting->reply) {
        m_channel.abandon(m_request);
    }
}

bool Command::await_suspend(std::coroutine_handle<> awaiting)
{
    m_waiting = std::make_shared<Waiting>();
    std::weak_ptr<Waiting> weak = m_waiting;
    m_request = m_channel.send(m_command, m_replyLength, [weak](uint32_t code, std::string_view reply) {
        const std::shared_ptr<Waiting> waiting = weak.lock();
        if (!waiting || waiting->reply) {
            return;  // the task is gone (or was answered already)
        }
        waiting->reply = Reply{code, std::string(reply)};
        if (const std::coroutine_handle<> task = std::exchange(waiting->task, {})) {
            task.resume();
        }
    });
    if (m_waiting->reply) {
        return false;  // answered inside send: the task goes on at once
    }
    m_waiting->task = awaiting;
    return true;
}

Reply Command::await_resume()
{
    return std::move(*m_waiting->reply);
}

Command sendCommand(MciChannel& channel, std::string command)
{
    return Command(channel, std::move(command), 0);
}

Command sendQuery(MciChannel& channel, std::string command)
{
    return Command(channel, std::move(command), kReplyLength);
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

QueryResult readQuery(const Reply& reply)
{
    if (reply.code != 0) {
        return {};
    }
    std::optional<int32_t> value = leadingInt32(reply.text);
    if (!value) {
        return {QueryResult::Status::TooLarge, -1};
    }
    return {QueryResult::Status::Value, *value};
}

}  // namespace zelko::media
