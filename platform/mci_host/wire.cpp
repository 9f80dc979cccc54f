// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/wire.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelko::mci::wire {

namespace {

// What one recvmsg takes at most; a cover picture arrives in several.
constexpr size_t kReceiveBytes = 64 * 1024;

bool isKind(uint8_t value)
{
    switch (static_cast<Kind>(value)) {
    case Kind::Hello:
    case Kind::Command:
    case Kind::CommandReply:
    case Kind::Describe:
    case Kind::Description:
    case Kind::ReadTags:
    case Kind::Tags:
    case Kind::SharePage: return true;
    }
    return false;
}

uint32_t readU32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

void writeU32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

// Waits for `events` on fd until the deadline; true when they came. A deadline that has passed
// still looks once, without waiting: the window reads and writes so from its event loop.
bool waitFor(int fd, short events, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        int timeoutMs = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeoutMs = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0) {
            return true;
        }
        if ((ready == 0 && timeoutMs == 0) || (ready < 0 && errno != EINTR)) {
            return false;
        }
    }
}

}  // namespace

void FrameParser::append(std::string_view bytes)
{
    // What was parsed is dropped once it is most of the buffer, so a long stream stays small.
    if (m_start > 0 && m_start >= m_buffer.size() / 2) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
}

void FrameParser::addDescriptor(platform::UniqueFd fd)
{
    if (!m_acceptDescriptors) {
        m_malformed = true;
        return;
    }
    m_descriptors.push_back(std::move(fd));
}

bool FrameParser::malformed()
{
    m_malformed = true;
    m_descriptors.clear();
    return false;
}

FrameParser::Result FrameParser::next(Frame& frame)
{
    if (m_malformed) {
        return Result::Malformed;
    }
    const size_t available = m_buffer.size() - m_start;
    if (available < kHeaderSize) {
        // Descriptors with no frame begun to take them were sent on their own: nonsense.
        if (available == 0 && !m_descriptors.empty()) {
            malformed();
            return Result::Malformed;
        }
        return Result::NeedMore;
    }
    const char* header = m_buffer.data() + m_start;
    const auto kind = static_cast<uint8_t>(header[0]);
    const auto descriptors = static_cast<uint8_t>(header[1]);
    const bool reservedClear = header[2] == 0 && header[3] == 0;
    const uint32_t requestId = readU32(header + 4);
    const uint32_t bodySize = readU32(header + 8);
    if (!isKind(kind) || descriptors > kMaxDescriptors || !reservedClear || bodySize > kMaxBody ||
        (descriptors > 0 && !m_acceptDescriptors)) {
        malformed();
        return Result::Malformed;
    }
    if (available - kHeaderSize < bodySize) {
        return Result::NeedMore;
    }
    if (m_descriptors.size() < descriptors) {
        malformed();
        return Result::Malformed;
    }
    frame.kind = static_cast<Kind>(kind);
    frame.requestId = requestId;
    frame.body.assign(m_buffer, m_start + kHeaderSize, bodySize);
    frame.descriptors.clear();
    for (uint8_t i = 0; i < descriptors; ++i) {
        frame.descriptors.push_back(std::move(m_descriptors.front()));
        m_descriptors.pop_front();
    }
    m_start += kHeaderSize + bodySize;
    return Result::Frame;
}

std::string encodeHeader(const Frame& frame)
{
    std::string header;
    header.reserve(kHeaderSize);
    header += static_cast<char>(frame.kind);
    header += static_cast<char>(frame.descriptors.size());
    header += '\0';
    header += '\0';
    writeU32(header, frame.requestId);
    writeU32(header, static_cast<uint32_t>(frame.body.size()));
    return header;
}

bool FrameReader::receive(bool& malformed)
{
    char bytes[kReceiveBytes];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)];
    iovec vector{bytes, sizeof bytes};
    msghdr message{};
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t count = ::recvmsg(m_fd, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    if (count < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    for (cmsghdr* item = CMSG_FIRSTHDR(&message); item != nullptr; item = CMSG_NXTHDR(&message, item)) {
        if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_RIGHTS) {
            const size_t received = (item->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < received; ++i) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(item) + i * sizeof(int), sizeof fd);
                m_parser.addDescriptor(platform::UniqueFd(fd));
            }
        }
    }
    // More descriptors than a frame may carry: the kernel dropped the rest.
    malformed = (message.msg_flags & MSG_CTRUNC) != 0;
    if (count == 0) {
        return false;
    }
    m_parser.append(std::string_view(bytes, static_cast<size_t>(count)));
    return true;
}

ReadResult FrameReader::read(Frame& frame, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        if (m_malformed) {
            return ReadResult::Malformed;
        }
        switch (m_parser.next(frame)) {
        case FrameParser::Result::Frame: return ReadResult::Frame;
        case FrameParser::Result::Malformed: return ReadResult::Malformed;
        case FrameParser::Result::NeedMore: break;
        }
        if (!waitFor(m_fd, POLLIN, deadline)) {
            return ReadResult::TimedOut;
        }
        const bool open = receive(m_malformed);
        if (m_malformed) {
            return ReadResult::Malformed;
        }
        if (!open) {
            return ReadResult::Closed;
        }
    }
}

bool writeFrame(int fd, const Frame& frame, std::optional<Clock::time_point> deadline)
{
    const std::string header = encodeHeader(frame);
    std::string_view parts[2] = {header, frame.body};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
    bool descriptorsSent = frame.descriptors.empty();
    if (frame.descriptors.size() > kMaxDescriptors) {
        return false;
    }
    while (!parts[0].empty() || !parts[1].empty()) {
        iovec vectors[2] = {{const_cast<char*>(parts[0].data()), parts[0].size()},
                            {const_cast<char*>(parts[1].data()), parts[1].size()}};
        msghdr message{};
        message.msg_iov = parts[0].empty() ? &vectors[1] : vectors;
        message.msg_iovlen = parts[0].empty() ? 1 : 2;
        if (!descriptorsSent) {
            // On the first byte of the frame, so they arrive no later than its header.
            const size_t size = sizeof(int) * frame.descriptors.size();
            message.msg_control = control;
            message.msg_controllen = CMSG_SPACE(size);
            cmsghdr* item = CMSG_FIRSTHDR(&message);
            item->cmsg_level = SOL_SOCKET;
            item->cmsg_type = SCM_RIGHTS;
            item->cmsg_len = CMSG_LEN(size);
            for (size_t i = 0; i < frame.descriptors.size(); ++i) {
                const int descriptor = frame.descriptors[i].get();
                std::memcpy(CMSG_DATA(item) + i * sizeof(int), &descriptor, sizeof descriptor);
            }
        }
        const ssize_t count = ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count > 0) {
            descriptorsSent = true;
            size_t sent = static_cast<size_t>(count);
            for (std::string_view& part : parts) {
                const size_t taken = std::min(sent, part.size());
                part.remove_prefix(taken);
                sent -= taken;
            }
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
