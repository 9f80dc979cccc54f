// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/mci_calls.h"

#include <array>
#include <utility>

#include "media/command_buffer.h"
#include "media/reply_parse.h"

namespace zelko::media {

Call::Call(MciChannel& channel, Start start) : m_channel(channel), m_start(std::move(start)) {}

Call::~Call()
{
    if (m_waiting && !m_waiting->reply) {
        m_channel.abandon(m_request);
    }
}

bool Call::await_suspend(std::coroutine_handle<> awaiting)
{
    m_waiting = std::make_shared<Waiting>();
    std::weak_ptr<Waiting> weak = m_waiting;
    m_request = m_start([weak](uint32_t code, std::string_view reply) {
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
        return false;  // answered inside the channel: the task goes on at once
    }
    m_waiting->task = awaiting;
    return true;
}

Reply Call::await_resume()
{
    return std::move(*m_waiting->reply);
}

Call sendCommand(MciChannel& channel, std::string command)
{
    return Call(channel, [&channel, command = std::move(command)](MciChannel::Completion completion) {
        return channel.send(command, 0, std::move(completion));
    });
}

Call sendQuery(MciChannel& channel, std::string command)
{
    return Call(channel, [&channel, command = std::move(command)](MciChannel::Completion completion) {
        return channel.send(command, kReplyLength, std::move(completion));
    });
}

Call findShortPath(MciChannel& channel, std::string path)
{
    return Call(channel, [&channel, path = std::move(path)](MciChannel::Completion completion) {
        return channel.findShortPath(path, kShortPathLength, std::move(completion));
    });
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
