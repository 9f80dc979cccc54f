// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_fd.h"

namespace zelko::mci::wire {

// The wire between the window and zelko-mci-host: frames on a Unix stream socket pair, each a
// fixed header and a body, with the descriptors it hands over riding on its first byte
// (SCM_RIGHTS). What each kind's body holds is in messages.h.
//
//   header, kHeaderSize bytes, little-endian:
//     kind         u8   Kind
//     descriptors  u8   how many descriptors came with the frame, at most kMaxDescriptors
//     reserved     u16  0
//     requestId    u32  the window's number for a request, which the reply carries back;
//                       0 for a message that answers nothing (the hellos)
//     bodySize     u32  at most kMaxBody
//
// The header and the Hello body keep this layout in every version of the wire, so two builds
// that speak different versions can tell each other so. A new kind of message is a new Kind
// with its body in messages.h; a frame that answers no request (news the host sends of its own)
// carries request id 0, as the hellos do.
enum class Kind : uint8_t {
    Hello = 'H',         // both ways, each side's first frame
    Command = 'C',       // window -> host: an MCI command, with the files it opens
    CommandReply = 'c',  // host -> window: its code, and its reply or why it failed
    Describe = 'D',      // window -> host: the description of an error code
    Description = 'd',   // host -> window
    ReadTags = 'T',      // window -> host: the tags met in a file opened before
    Tags = 't',          // host -> window
    SharePage = 'S',     // window -> host, once after its hello: the page the host publishes on
};

constexpr size_t kHeaderSize = 12;
// The largest body: a cover picture of 4 MiB with the texts beside it.
constexpr uint32_t kMaxBody = 8 * 1024 * 1024;
constexpr size_t kMaxDescriptors = 4;

struct Frame {
    Kind kind = Kind::Hello;
    uint32_t requestId = 0;
    std::string body;
    std::vector<platform::UniqueFd> descriptors;
};

// Parses frames out of the bytes and descriptors as they arrive, in pieces of any size. It
// touches no socket, so tests and the fuzzer feed it directly. Once it finds the stream
// malformed it stays so: nothing after a broken frame can be trusted.
class FrameParser {
public:
    enum class Result { Frame, NeedMore, Malformed };

    // The window's parser accepts no descriptors: the host has none to hand it.
    explicit FrameParser(bool acceptDescriptors) : m_acceptDescriptors(acceptDescriptors) {}

    void append(std::string_view bytes);
    // A descriptor that came with the bytes appended last. Descriptors ride on the first byte
    // of their frame, so a frame takes, in order, those that came with or before its bytes.
    void addDescriptor(platform::UniqueFd fd);
    Result next(Frame& frame);

private:
    bool malformed();

    bool m_acceptDescriptors;
    bool m_malformed = false;
    std::string m_buffer;
    size_t m_start = 0;  // where the next frame begins in m_buffer
    std::deque<platform::UniqueFd> m_descriptors;
};

std::string encodeHeader(const Frame& frame);

using Clock = std::chrono::steady_clock;

enum class ReadResult { Frame, TimedOut, Closed, Malformed };

// Reads frames from a socket. With a deadline it waits no later than that, and with one that
// has passed it takes only what has arrived (TimedOut: nothing more yet), as the window does
// from its event loop; without one (the host's side) it blocks. Like the parser, once it finds
// the stream malformed it stays so.
class FrameReader {
public:
    FrameReader(int fd, bool acceptDescriptors) : m_fd(fd), m_parser(acceptDescriptors) {}
    ReadResult read(Frame& frame, std::optional<Clock::time_point> deadline);

private:
    // One recvmsg into the parser; false when the peer closed or the socket failed.
    bool receive(bool& malformed);

    int m_fd;
    FrameParser m_parser;
    bool m_malformed = false;  // more descriptors came than any frame carries
};

// Writes the frame with its descriptors, waiting for room no later than the deadline when one
// is given (a deadline that has passed: not at all). The descriptors stay the caller's: the peer
// gets copies.
bool writeFrame(int fd, const Frame& frame, std::optional<Clock::time_point> deadline);

}  // namespace zelko::mci::wire
