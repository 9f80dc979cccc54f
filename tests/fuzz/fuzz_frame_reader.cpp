// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the wire's frame reader as the peer's side of a real socket pair,
// in pieces, with descriptors riding on the first piece: what the window reads from a broken
// or hostile engine host, and the host from the window. The reader must answer every input
// with frames, a wait for more, or a refusal, read no byte out of bounds, leak no descriptor;
// a refused stream stays refused; and every message it reads whole packs back to the same
// frame.
//   first byte: bit 0 the host's side (takes descriptors), bits 1-3 descriptors to send,
//               bits 4-7 the size of the pieces (1 << n bytes, at least a 64th of the input)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "platform/mci_host/messages.h"
#include "platform/mci_host/wire.h"

namespace zelko {

namespace {

using namespace zelko::mci::wire;

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// A message read out of the frame packs back to the very frame.
template <typename Message> void packsBack(Frame frame)
{
    Message message;
    const std::string body = frame.body;
    const uint32_t id = frame.requestId;
    if (unpack(frame, message)) {
        const Frame again = pack(id, std::move(message));
        require(again.body == body && again.kind == frame.kind);
    }
}

void checkFrame(Frame& frame)
{
    require(frame.body.size() <= kMaxBody && frame.descriptors.size() <= kMaxDescriptors);
    switch (frame.kind) {
    case Kind::Hello: break;  // a hello may carry a later version's fields, which it skips
    case Kind::Command: packsBack<Command>(std::move(frame)); break;
    case Kind::CommandReply: packsBack<CommandReply>(std::move(frame)); break;
    case Kind::Describe: packsBack<Describe>(std::move(frame)); break;
    case Kind::Description: packsBack<Description>(std::move(frame)); break;
    case Kind::ReadTags: packsBack<ReadTags>(std::move(frame)); break;
    case Kind::Tags: packsBack<Tags>(std::move(frame)); break;
    case Kind::SharePage: packsBack<SharePage>(std::move(frame)); break;
    }
}

// Sends the bytes in pieces, the descriptors on the first.
void send(int socket, std::string_view bytes, size_t piece, size_t descriptors)
{
    std::vector<platform::UniqueFd> files;
    for (size_t i = 0; i < descriptors; ++i) {
        files.emplace_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 8)] = {};
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const std::string_view part = bytes.substr(at, piece);
        iovec vector{const_cast<char*>(part.data()), part.size()};
        msghdr message{};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        if (at == 0 && !files.empty()) {
            message.msg_control = control;
            message.msg_controllen = CMSG_SPACE(sizeof(int) * files.size());
            cmsghdr* item = CMSG_FIRSTHDR(&message);
            item->cmsg_level = SOL_SOCKET;
            item->cmsg_type = SCM_RIGHTS;
            item->cmsg_len = CMSG_LEN(sizeof(int) * files.size());
            for (size_t i = 0; i < files.size(); ++i) {
                const int fd = files[i].get();
                std::memcpy(CMSG_DATA(item) + i * sizeof(int), &fd, sizeof fd);
            }
        }
        require(::sendmsg(socket, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(part.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const bool hostSide = (data[0] & 1) != 0;
    const size_t descriptors = (data[0] >> 1) & 7;
    // At most 64 pieces: each is a message of its own in the socket's queue, and all must fit
    // there before the reader starts.
    const size_t piece = std::max(size_t{1} << (data[0] >> 4), size / 64 + 1);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    int pair[2];
    require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
    const platform::UniqueFd reading(pair[0]);
    platform::UniqueFd writing(pair[1]);
    if (!bytes.empty()) {
        send(writing.get(), bytes, piece, descriptors);
    }
    writing.reset();

    FrameReader reader(reading.get(), hostSide);
    Frame frame;
    size_t read = 0;
    for (;;) {
        const ReadResult result = reader.read(frame, Clock::now() + std::chrono::seconds(1));
        require(result != ReadResult::TimedOut);  // the peer has closed: the reader never waits
        if (result == ReadResult::Malformed) {
            require(reader.read(frame, Clock::now()) == ReadResult::Malformed);
            break;
        }
        if (result == ReadResult::Closed) {
            break;
        }
        read += kHeaderSize + frame.body.size();
        require(read <= bytes.size());
        require(hostSide || frame.descriptors.empty());
        checkFrame(frame);
    }
    return 0;
}

}  // namespace zelko
