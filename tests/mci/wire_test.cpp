// SPDX-License-Identifier: GPL-3.0-or-later
// The wire between the window and the engine host: every message crosses whole and unchanged,
// in pieces of any size, with its descriptors; every malformed frame or body is refused, and a
// stream once found broken stays refused.
#include "platform/mci_host/messages.h"
#include "platform/mci_host/wire.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelko::mci::wire {
namespace {

using platform::UniqueFd;
using Result = FrameParser::Result;

// The bytes of a frame as they go on the socket.
std::string bytesOf(const Frame& frame)
{
    return encodeHeader(frame) + frame.body;
}

std::string header(uint8_t kind, uint8_t descriptors, uint16_t reserved, uint32_t id, uint32_t bodySize)
{
    std::string bytes{static_cast<char>(kind), static_cast<char>(descriptors), static_cast<char>(reserved & 0xff),
                      static_cast<char>(reserved >> 8)};
    for (const uint32_t value : {id, bodySize}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((value >> shift) & 0xff);
        }
    }
    return bytes;
}

UniqueFd devNull()
{
    return UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}

CommandReply sampleReply()
{
    return {296,
            "",
            {"The file cannot be played: no decoder is installed for MPEG-1 Layer 3 (MP3).",
             "MPEG-1 Layer 3 (MP3) decoder"}};
}

Tags sampleTags()
{
    Tags tags{true, {"Blue Tone", "The Testers", "Sine Album", "Ambient", 3, {}, "image/png"}};
    tags.tags.cover.assign(70000, 0x89);  // larger than one read of the socket
    return tags;
}

TEST(FrameParser, EveryMessageCrossesWholeInPiecesOfAnySize)
{
    Command command{128, "open /media/a b.mp3 alias movie", {}};
    command.files.push_back({"/media/a", platform::FileState::Missing, 0, {}});
    std::vector<Frame> frames;
    frames.push_back(pack(0, Hello{}));
    frames.push_back(pack(7, std::move(command)));
    frames.push_back(pack(7, sampleReply()));
    frames.push_back(pack(8, Describe{263}));
    frames.push_back(pack(8, Description{true, {"No device is open under that name.", ""}}));
    frames.push_back(pack(9, ReadTags{{1, 2, 3, 4}}));
    frames.push_back(pack(9, sampleTags()));
    std::string stream;
    for (const Frame& frame : frames) {
        stream += bytesOf(frame);
    }
    for (const size_t piece : {size_t{1}, size_t{5}, size_t{4096}, stream.size()}) {
        FrameParser parser(false);
        std::vector<Frame> parsed;
        Frame frame;
        for (size_t at = 0; at < stream.size(); at += piece) {
            parser.append(std::string_view(stream).substr(at, piece));
            while (parser.next(frame) == Result::Frame) {
                parsed.push_back(std::move(frame));
            }
        }
        ASSERT_EQ(parsed.size(), frames.size()) << "pieces of " << piece;
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(parsed[i].kind, frames[i].kind);
            EXPECT_EQ(parsed[i].requestId, frames[i].requestId);
            EXPECT_EQ(parsed[i].body, frames[i].body);
        }
        EXPECT_EQ(parser.next(frame), Result::NeedMore);
    }
}

TEST(FrameParser, RefusesEveryMalformedHeaderForGood)
{
    const std::string body(16, 'x');
    const std::pair<const char*, std::string> cases[] = {
        {"an unknown kind", header('Z', 0, 0, 1, 0)},
        {"a kind of zero", header(0, 0, 0, 1, 0)},
        {"more descriptors than a frame carries", header('C', kMaxDescriptors + 1, 0, 1, 0)},
        {"the reserved bytes set", header('C', 0, 1, 1, 0)},
        {"the reserved high byte set", header('C', 0, 0x100, 1, 0)},
        {"a body beyond the limit", header('c', 0, 0, 1, kMaxBody + 1)},
        {"a body of four gigabytes", header('c', 0, 0, 1, 0xffffffff)},
        {"descriptors declared that never came", header('C', 1, 0, 1, 16) + body},
    };
    for (const auto& [what, bytes] : cases) {
        FrameParser parser(true);
        parser.append(bytes);
        Frame frame;
        EXPECT_EQ(parser.next(frame), Result::Malformed) << what;
        // Nothing after a broken frame is read, not even a good one.
        parser.append(bytesOf(pack(1, Describe{263})));
        EXPECT_EQ(parser.next(frame), Result::Malformed) << what;
    }
}

TEST(FrameParser, TakesDescriptorsOnlyWhereTheyBelong)
{
    const std::string hello = bytesOf(pack(0, Hello{}));
    Frame frame;
    {
        // The window takes none: the host has none to hand it.
        FrameParser window(false);
        window.append(hello);
        window.addDescriptor(devNull());
        EXPECT_EQ(window.next(frame), Result::Malformed);
    }
    {
        // A frame that declares none leaves a descriptor with nothing to take it.
        FrameParser host(true);
        host.append(hello);
        host.addDescriptor(devNull());
        EXPECT_EQ(host.next(frame), Result::Frame);
        EXPECT_EQ(host.next(frame), Result::Malformed);
    }
    {
        // A frame that declares two takes the two that came with it, in order.
        FrameParser host(true);
        Frame command = pack(3, Command{0, "open a", {}});
        std::string bytes = encodeHeader(command);
        bytes[1] = 2;
        host.append(bytes.substr(0, 3));
        const UniqueFd first = devNull();
        host.addDescriptor(UniqueFd(::dup(first.get())));
        host.addDescriptor(devNull());
        EXPECT_EQ(host.next(frame), Result::NeedMore);
        host.append(bytes.substr(3) + command.body);
        ASSERT_EQ(host.next(frame), Result::Frame);
        ASSERT_EQ(frame.descriptors.size(), 2u);
        struct stat a {
        }, b{};
        ASSERT_EQ(::fstat(frame.descriptors[0].get(), &a), 0);
        ASSERT_EQ(::fstat(first.get(), &b), 0);
        EXPECT_EQ(a.st_rdev, b.st_rdev);
    }
}

// Every body that does not hold exactly its message: each one cut short, one byte too many,
// and the faults a field can hold.
TEST(Messages, RefuseEveryBodyThatDoesNotHoldTheirFields)
{
    std::vector<Frame> good;
    good.push_back(pack(1, sampleReply()));
    good.push_back(pack(1, Describe{263}));
    good.push_back(pack(1, Description{true, {"text", ""}}));
    good.push_back(pack(1, ReadTags{{1, 2, 3, 4}}));
    good.push_back(pack(1, sampleTags()));
    good.push_back(pack(1, Command{0, "play movie", {}}));
    for (const Frame& whole : good) {
        for (size_t cut = 0; cut <= whole.body.size(); cut += std::max<size_t>(1, whole.body.size() / 64)) {
            Frame frame{whole.kind, 1, whole.body.substr(0, cut), {}};
            if (cut == whole.body.size()) {
                frame.body += '\0';
            }
            CommandReply reply;
            Describe describe;
            Description description;
            ReadTags read;
            Tags tags;
            Command command;
            EXPECT_FALSE(unpack(frame, reply) || unpack(frame, describe) || unpack(frame, description) ||
                         unpack(frame, read) || unpack(frame, tags) || unpack(frame, command))
                << static_cast<char>(whole.kind) << " cut at " << cut << " of " << whole.body.size();
        }
    }
    Frame tags = pack(1, sampleTags());
    Tags read;
    tags.body[0] = 2;  // a flag is 0 or 1
    EXPECT_FALSE(unpack(tags, read));
    Frame reply = pack(1, sampleReply());
    Description other;
    EXPECT_FALSE(unpack(reply, other));  // a frame of another kind
}

TEST(Messages, ACommandCarriesItsFilesAndTheirDescriptorsInStep)
{
    Command command{0, "open /a alias m", {}};
    command.files.push_back({"/a", platform::FileState::Opened, 0, devNull()});
    command.files.push_back({"/b", platform::FileState::Unreadable, 13, {}});
    Frame frame = pack(5, std::move(command));
    ASSERT_EQ(frame.descriptors.size(), 1u);
    Frame copy{frame.kind, frame.requestId, frame.body, {}};
    copy.descriptors.push_back(std::move(frame.descriptors[0]));
    Command read;
    ASSERT_TRUE(unpack(copy, read));
    ASSERT_EQ(read.files.size(), 2u);
    EXPECT_EQ(read.files[0].path, "/a");
    EXPECT_TRUE(read.files[0].fd);
    EXPECT_EQ(read.files[1].state, platform::FileState::Unreadable);
    EXPECT_EQ(read.files[1].error, 13);

    // An open file without its descriptor, a descriptor without an open file, a state that is
    // none, more files than a command opens.
    Frame without{Kind::Command, 5, copy.body, {}};
    EXPECT_FALSE(unpack(without, read));
    Frame extra = pack(5, Command{0, "play m", {}});
    extra.descriptors.push_back(devNull());
    EXPECT_FALSE(unpack(extra, read));
    Command badState{0, "open /c", {}};
    badState.files.push_back({"/c", platform::FileState::Missing, 0, {}});
    Frame state = pack(5, std::move(badState));
    state.body[state.body.size() - 5] = 9;
    EXPECT_FALSE(unpack(state, read));
    Command many{0, "open /d", {}};
    for (size_t i = 0; i <= kMaxFiles; ++i) {
        many.files.push_back({"/d", platform::FileState::Missing, 0, {}});
    }
    Frame tooMany = pack(5, std::move(many));
    EXPECT_FALSE(unpack(tooMany, read));
}

TEST(Messages, AHelloOfALaterVersionIsStillReadSoItCanBeRefused)
{
    Frame later = pack(0, Hello{std::string(kMagic), kVersion + 1});
    later.body += "fields a later version added";
    Hello hello;
    ASSERT_TRUE(unpack(later, hello));
    EXPECT_EQ(hello.magic, kMagic);
    EXPECT_EQ(hello.version, kVersion + 1);
}

class FrameReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        m_window.reset(pair[0]);
        m_host.reset(pair[1]);
    }
    UniqueFd m_window;
    UniqueFd m_host;
};

TEST_F(FrameReaderTest, HandsTheFileOverAsADescriptorOfItsOwn)
{
    const std::string path = ::testing::TempDir() + "zelko-wire-" + std::to_string(::getpid());
    {
        const UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        ASSERT_EQ(::write(file.get(), "media", 5), 5);
    }
    platform::OpenedFile opened = platform::openMediaFile(path);
    ASSERT_EQ(opened.state, platform::FileState::Opened);
    const auto identity = platform::identityOf(opened.fd.get());
    Command command{0, "open " + path, {}};
    command.files.push_back({path, opened.state, 0, std::move(opened.fd)});
    ASSERT_TRUE(writeFrame(m_window.get(), pack(4, std::move(command)), Clock::now() + std::chrono::seconds(5)));
    ::unlink(path.c_str());  // the host needs no path: the descriptor holds the file

    FrameReader reader(m_host.get(), true);
    Frame frame;
    ASSERT_EQ(reader.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Frame);
    Command read;
    ASSERT_TRUE(unpack(frame, read));
    ASSERT_EQ(read.files.size(), 1u);
    const int fd = read.files[0].fd.get();
    EXPECT_EQ(platform::identityOf(fd), identity);
    EXPECT_EQ(::fcntl(fd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    char bytes[5] = {};
    EXPECT_EQ(::pread(fd, bytes, sizeof bytes, 0), 5);
    EXPECT_EQ(std::string(bytes, 5), "media");
}

TEST_F(FrameReaderTest, ACoverCrossesWholeAndAnEndOrASilenceIsTold)
{
    FrameReader window(m_window.get(), false);
    ASSERT_TRUE(writeFrame(m_host.get(), pack(2, sampleTags()), Clock::now() + std::chrono::seconds(5)));
    Frame frame;
    ASSERT_EQ(window.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Frame);
    Tags tags;
    ASSERT_TRUE(unpack(frame, tags));
    EXPECT_EQ(tags.tags.cover, sampleTags().tags.cover);
    EXPECT_EQ(tags.tags.trackNumber, 3u);

    const auto start = Clock::now();
    EXPECT_EQ(window.read(frame, start + std::chrono::milliseconds(50)), ReadResult::TimedOut);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
    // A host that ends halfway through a frame.
    const std::string half = bytesOf(pack(3, sampleReply())).substr(0, 20);
    ASSERT_EQ(::write(m_host.get(), half.data(), half.size()), static_cast<ssize_t>(half.size()));
    m_host.reset();
    EXPECT_EQ(window.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Closed);
}

TEST_F(FrameReaderTest, RefusesDescriptorsTheReaderTakesNoneOfOrMoreThanAFrameCarries)
{
    // Nine descriptors in one message: more than any frame carries, so the kernel cuts them.
    std::vector<UniqueFd> descriptors;
    for (int i = 0; i < 9; ++i) {
        descriptors.push_back(devNull());
    }
    Frame many = pack(1, Describe{263});
    many.descriptors = std::move(descriptors);
    EXPECT_FALSE(writeFrame(m_window.get(), many, std::nullopt));  // the writer will not send it
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 9)] = {};
    std::string bytes = bytesOf(pack(1, Describe{263}));
    iovec vector{bytes.data(), bytes.size()};
    msghdr message{};
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* item = CMSG_FIRSTHDR(&message);
    item->cmsg_level = SOL_SOCKET;
    item->cmsg_type = SCM_RIGHTS;
    item->cmsg_len = CMSG_LEN(sizeof(int) * 9);
    for (int i = 0; i < 9; ++i) {
        const int fd = many.descriptors[static_cast<size_t>(i)].get();
        std::memcpy(CMSG_DATA(item) + i * sizeof(int), &fd, sizeof fd);
    }
    ASSERT_GT(::sendmsg(m_window.get(), &message, 0), 0);
    FrameReader host(m_host.get(), true);
    Frame frame;
    EXPECT_EQ(host.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Malformed);
    // And it stays so, though the bytes that came are a whole frame.
    EXPECT_EQ(host.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Malformed);

    // The window's reader takes none at all.
    Frame one = pack(2, Describe{263});
    one.descriptors.push_back(devNull());
    ASSERT_TRUE(writeFrame(m_host.get(), one, std::nullopt));
    FrameReader window(m_window.get(), false);
    EXPECT_EQ(window.read(frame, Clock::now() + std::chrono::seconds(5)), ReadResult::Malformed);
}

}  // namespace
}  // namespace zelko::mci::wire
