// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko::mci::wire {

// What travels between the window and zelko-mci-host over their socket pair: frames of a
// header line "<kind> <first> <second> <size> <decoderSize>\n", then `size` bytes of payload
// and `decoderSize` bytes naming a missing decoder.
//   window -> host  Send:  first = reply buffer length, payload = the command text
//                   Error: first = code, second = buffer length (the description of a code)
//   host -> window  Hello: the host's engine is ready (sent once, first)
//                   Reply: first = code; payload = the reply, or on a failure the description
//                          the engine gives for that code, and missingDecoder what the engine
//                          says the file needed and found not installed
enum class Kind : char { Send = 'S', Error = 'E', Hello = 'H', Reply = 'R' };

struct Frame {
    Kind kind = Kind::Reply;
    uint32_t first = 0;
    uint32_t second = 0;
    std::string payload;
    std::string missingDecoder;
};

// No frame's payload is longer: the longest command or reply the media layer uses is 255.
constexpr size_t kMaxPayload = 64 * 1024;

std::string encode(const Frame& frame);

using Clock = std::chrono::steady_clock;

enum class ReadResult { Frame, TimedOut, Closed, Malformed };

// Reads frames from a socket, keeping what arrived beyond the frame for the next one. With a
// deadline it waits no later than that; without one (the host's side) it blocks.
class FrameReader {
public:
    explicit FrameReader(int fd) : m_fd(fd) {}
    ReadResult read(Frame& frame, std::optional<Clock::time_point> deadline);

private:
    // Parses a whole frame from the front of m_buffer; false when more bytes are needed.
    bool take(Frame& frame, bool& malformed);

    int m_fd;
    std::string m_buffer;
};

// Writes all of `bytes`, waiting for room no later than the deadline when one is given.
bool writeAll(int fd, std::string_view bytes, std::optional<Clock::time_point> deadline);

}  // namespace zelko::mci::wire
