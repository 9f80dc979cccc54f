// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <coroutine>
#include <cstdint>
#include <functional>
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

// One call through the channel that a task awaits: a command (`co_await sendCommand(channel,
// text)` gives its Reply), or the short form of a path. A call answered inside the channel goes
// on without suspending the task; one answered later resumes it from the channel's completion.
// A call still unanswered when its task is destroyed is abandoned: the channel is told, and a
// late answer finds nobody to resume.
class [[nodiscard]] Call {
public:
    // Hands the completion to the channel; the request's id while it waits, or 0.
    using Start = std::function<MciChannel::RequestId(MciChannel::Completion)>;

    Call(MciChannel& channel, Start start);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> awaiting);
    Reply await_resume();

private:
    // Shared with the completion, which holds it weakly: it outlives a call only while a
    // completion resumes the task.
    struct Waiting {
        std::optional<Reply> reply;
        std::coroutine_handle<> task;
    };

    MciChannel& m_channel;
    Start m_start;
    std::shared_ptr<Waiting> m_waiting;
    MciChannel::RequestId m_request = 0;
};

// A command whose reply is not read: no reply buffer, length 0, callback window 0.
Call sendCommand(MciChannel& channel, std::string command);

// A command with a 128-character reply buffer; the Reply's text is the reply up to its NUL.
Call sendQuery(MciChannel& channel, std::string command);

// The short form of `path` in a 255-character buffer: the Reply's code is what
// GetShortPathName returns (0 for a file that is not there), its text the form when it fits.
Call findShortPath(MciChannel& channel, std::string path);

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
