// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <coroutine>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "media/mci_channel.h"

namespace zelko::media {

// What the device answered to one command: its code, and the reply buffer's text.
struct Reply {
    uint32_t code = 0;
    std::string text;
};

// One command sent through the channel, awaited by a task: `co_await sendCommand(channel, text)`
// gives its Reply. A command answered inside send() goes on without suspending the task; one
// answered later resumes it from the channel's completion. A command still unanswered when its
// task is destroyed is abandoned: the channel is told, and a late answer finds nobody to resume.
class [[nodiscard]] Command {
public:
    Command(MciChannel& channel, std::string command, uint32_t replyLength);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> awaiting);
    Reply await_resume();

private:
    // Shared with the completion, which holds it weakly: it outlives a command only while a
    // completion resumes the task.
    struct Waiting {
        std::optional<Reply> reply;
        std::coroutine_handle<> task;
    };

    MciChannel& m_channel;
    std::string m_command;
    uint32_t m_replyLength;
    std::shared_ptr<Waiting> m_waiting;
    MciChannel::RequestId m_request = 0;
};

// A command whose reply is not read: no reply buffer, length 0, callback window 0.
Command sendCommand(MciChannel& channel, std::string command);

// A command with a 128-character reply buffer; the Reply's text is the reply up to its NUL.
Command sendQuery(MciChannel& channel, std::string command);

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
QueryResult readQuery(const Reply& reply);

}  // namespace zelko::media
