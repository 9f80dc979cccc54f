// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/wire.h"

#include <cerrno>
#include <charconv>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelko::mci::wire {

namespace {

// A header line is short; a longer one without its end means the peer speaks nonsense.
constexpr size_t kMaxHeader = 64;

bool isKind(char c)
{
    return c == 'S' || c == 'E' || c == 'H' || c == 'R';
}

bool readNumber(std::string_view& text, uint64_t& value)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return false;
    }
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

// Waits for `events` on fd until the deadline; true when they came.
bool waitFor(int fd, short events, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        int timeoutMs = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            timeoutMs = static_cast<int>(left.count());
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

std::string encode(const Frame& frame)
{
    std::string text;
    text.reserve(frame.payload.size() + 32);
    text += static_cast<char>(frame.kind);
    text += ' ';
    text += std::to_string(frame.first);
    text += ' ';
    text += std::to_string(frame.second);
    text += ' ';
    text += std::to_string(frame.payload.size());
    text += ' ';
    text += std::to_string(frame.missingDecoder.size());
    text += '\n';
    text += frame.payload;
    text += frame.missingDecoder;
    return text;
}

bool FrameReader::take(Frame& frame, bool& malformed)
{
    const size_t lineEnd = m_buffer.find('\n');
    if (lineEnd == std::string::npos) {
        malformed = m_buffer.size() > kMaxHeader;
        return false;
    }
    std::string_view header(m_buffer.data(), lineEnd);
    uint64_t first = 0;
    uint64_t second = 0;
    uint64_t size = 0;
    uint64_t decoderSize = 0;
    if (header.size() < 2 || !isKind(header[0]) || header[1] != ' ') {
        malformed = true;
        return false;
    }
    const char kind = header[0];
    header.remove_prefix(1);
    if (!readNumber(header, first) || !readNumber(header, second) || !readNumber(header, size) ||
        !readNumber(header, decoderSize) || !header.empty() || first > UINT32_MAX || second > UINT32_MAX ||
        size > kMaxPayload || decoderSize > kMaxPayload) {
        malformed = true;
        return false;
    }
    if (m_buffer.size() - lineEnd - 1 < size + decoderSize) {
        return false;
    }
    frame.kind = static_cast<Kind>(kind);
    frame.first = static_cast<uint32_t>(first);
    frame.second = static_cast<uint32_t>(second);
    frame.payload.assign(m_buffer, lineEnd + 1, size);
    frame.missingDecoder.assign(m_buffer, lineEnd + 1 + size, decoderSize);
    m_buffer.erase(0, lineEnd + 1 + size + decoderSize);
    return true;
}

ReadResult FrameReader::read(Frame& frame, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        bool malformed = false;
        if (take(frame, malformed)) {
            return ReadResult::Frame;
        }
        if (malformed) {
            return ReadResult::Malformed;
        }
        if (!waitFor(m_fd, POLLIN, deadline)) {
            return ReadResult::TimedOut;
        }
        char chunk[4096];
        const ssize_t count = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
            return ReadResult::Closed;
        }
        if (count > 0) {
            m_buffer.append(chunk, static_cast<size_t>(count));
        }
    }
}

bool writeAll(int fd, std::string_view bytes, std::optional<Clock::time_point> deadline)
{
    while (!bytes.empty()) {
        const ssize_t count = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count > 0) {
            bytes.remove_prefix(static_cast<size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            if (!waitFor(fd, POLLOUT, deadline)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace zelko::mci::wire
