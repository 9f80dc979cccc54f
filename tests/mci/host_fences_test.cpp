// SPDX-License-Identifier: GPL-3.0-or-later
// Every clip the tests make plays through the engine host in each of its fences, as the window
// plays it: the file handed over as a descriptor, the picture drawn into a real X window, the
// sound into a sound server of the test's own. The host names each system call its filter
// refuses on standard error; none may be named, or the allow-list misses what some kind needs.
// And the X server shares the pictures' memory with the host across the fence.
#include <gtest/gtest.h>

// Qt's headers before Xlib's, whose macros (Bool, Status) they would otherwise meet.
#include "tests/media/host_calls.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <iterator>
#include <set>
#include <sstream>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "channels/host_channel.h"

extern char** environ;

namespace zelko {
namespace {

namespace fs = std::filesystem;
using zelko::channels::HostChannel;

// The clips that are not media at all, or broken on purpose.
const std::set<std::string> kUnplayable{"empty.mp3", "text.mp3", "truncated.mpg"};
// How much of each clip's end plays.
constexpr int64_t kPlayedMs = 300;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A PulseAudio of the test's own with one null sink, named to this process as PULSE_SERVER so
// the host reaches it as it would the desktop's. Started as a daemon: its start returns once
// the server listens.
class SoundServer {
public:
    SoundServer() : m_folder(fs::temp_directory_path() / ("zelko-fences-pulse-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_folder / "runtime");
        fs::create_directories(m_folder / "server");
        const fs::path socket = m_folder / "server" / "native";
        std::ofstream(m_folder / "default.pa")
            << "load-module module-null-sink sink_name=zelko rate=44100\n"
            << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket.string()
            << "\nset-default-sink zelko\n";
        const std::string runtime = (m_folder / "runtime").string();
        const std::string config = (m_folder / "default.pa").string();
        const std::string log = "--log-target=file:" + (m_folder / "log").string();
        // As root PulseAudio wants --system; a server of the test's own says --system=false and
        // keeps its state in the private folder.
        std::vector<std::string> environment{"PULSE_RUNTIME_PATH=" + runtime, "PULSE_STATE_PATH=" + runtime,
                                             "HOME=" + m_folder.string(), "PATH=/usr/bin:/bin"};
        const char* arguments[] = {"pulseaudio",
                                   "-n",
                                   "--daemonize=yes",
                                   "--exit-idle-time=-1",
                                   "--disallow-exit",
                                   "--system=false",
                                   "--use-pid-file=yes",
                                   log.c_str(),
                                   "-F",
                                   config.c_str(),
                                   nullptr};
        std::vector<char*> variables;
        for (std::string& entry : environment) {
            variables.push_back(entry.data());
        }
        variables.push_back(nullptr);
        pid_t starter = 0;
        int status = -1;
        if (::posix_spawnp(&starter, "pulseaudio", nullptr, nullptr, const_cast<char* const*>(arguments),
                           variables.data()) == 0) {
            ::waitpid(starter, &status, 0);
        }
        m_pid = std::atoi(readAll(m_folder / "runtime" / "pid").c_str());
        if (status == 0 && m_pid > 0) {
            ::setenv("PULSE_SERVER", ("unix:" + socket.string()).c_str(), 1);
        }
    }
    ~SoundServer()
    {
        ::unsetenv("PULSE_SERVER");
        if (m_pid > 0) {
            // Not this process's child: its end is awaited through its pidfd.
            const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
            ::kill(m_pid, SIGTERM);
            pollfd entry{pidfd, POLLIN, 0};
            ::poll(&entry, pidfd >= 0 ? 1 : 0, 10000);
            ::close(pidfd);
        }
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    bool running() const { return m_pid > 0 && std::getenv("PULSE_SERVER") != nullptr; }
    std::string log() const { return readAll(m_folder / "log"); }
    // The streams playing into it now, as pactl lists them.
    std::string streams() const
    {
        std::string listed;
        if (FILE* pactl = ::popen("pactl list short sink-inputs 2>/dev/null", "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, pactl) != nullptr) {
                listed += line;
            }
            ::pclose(pactl);
        }
        return listed;
    }

private:
    fs::path m_folder;
    pid_t m_pid = 0;
};

// Standard error into a file while it lives: what the hosts started meanwhile say there.
class CapturedErrors {
public:
    CapturedErrors() : m_path(fs::temp_directory_path() / ("zelko-fences-errors-" + std::to_string(::getpid())))
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int file = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~CapturedErrors()
    {
        restore();
        std::error_code error;
        fs::remove(m_path, error);
    }
    // Standard error as before; returns what was said meanwhile.
    std::string restore()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        return readAll(m_path);
    }

private:
    fs::path m_path;
    int m_saved = -1;
};

std::vector<std::string> playableClips()
{
    std::vector<std::string> clips;
    for (const fs::directory_entry& entry : fs::directory_iterator(ZELKO_CLIPS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && !kUnplayable.contains(name)) {
            clips.push_back(entry.path().string());
        }
    }
    std::sort(clips.begin(), clips.end());
    return clips;
}

class HostFencesTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ::setenv("ZELKO_MCI_HOST_FENCE", GetParam(), 1);
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "needs an X server (DISPLAY)";
        // Mapped, but off the screen: the tests that read the screen's pixels run beside it.
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), -2000, -2000, 320, 240, 0,
                                       BlackPixel(m_display, 0), BlackPixel(m_display, 0));
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
    }
    void TearDown() override
    {
        ::unsetenv("ZELKO_MCI_HOST_FENCE");
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_window);
            XCloseDisplay(m_display);
        }
    }

    uint32_t send(HostChannel& channel, const std::string& command)
    {
        test::HostCalls calls(channel);
        const uint32_t code = calls.send(command);
        std::snprintf(m_reply, sizeof m_reply, "%s", calls.reply().c_str());
        return code;
    }

    // Opens the clip as the window does and plays its last part to the end (a seek, as from the
    // slider); the open has already decoded its start. Empty when all went well.
    std::string play(HostChannel& channel, const std::string& path)
    {
        const std::string open =
            "open " + path + " type MPEGVideo Alias movie parent " + std::to_string(m_window) + " Style 1073741824";
        if (const uint32_t code = send(channel, open); code != 0) {
            return "the open answered " + std::to_string(code);
        }
        send(channel, "status movie length");
        const int64_t lengthMs = std::atoll(m_reply);
        const std::string range =
            "from " + std::to_string(std::max<int64_t>(0, lengthMs - kPlayedMs)) + " to " + std::to_string(lengthMs);
        std::string failed;
        if (const uint32_t code = send(channel, "play movie " + range + " wait"); lengthMs <= 0 || code != 0) {
            failed = "play " + range + " answered " + std::to_string(code);
        } else {
            // At the end the position is the length, which the end may have measured anew.
            send(channel, "status movie position");
            const std::string position = m_reply;
            send(channel, "status movie length");
            failed = position == m_reply ? "" : "ended at " + position + " of " + m_reply;
        }
        send(channel, "close movie");
        return failed;
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    char m_reply[256] = {};
};

TEST_P(HostFencesTest, EveryClipPlaysAndTheHostIsRefusedNoCall)
{
    SoundServer sound;
    ASSERT_TRUE(sound.running()) << sound.log();
    const std::vector<std::string> clips = playableClips();
    ASSERT_GE(clips.size(), 60u);
    CapturedErrors errors;
    std::vector<std::string> failures;
    {
        HostChannel channel(ZELKO_MCI_HOST);
        // The sound goes to the server: an opened file's stream is there, waiting to play.
        ASSERT_EQ(send(channel, "open " + std::string(ZELKO_CLIPS_DIR) + "/tone.wav alias tone"), 0u);
        EXPECT_NE(sound.streams(), "") << "the host's sound did not reach the sound server";
        send(channel, "close tone");
        for (const std::string& path : clips) {
            if (const std::string failed = play(channel, path); !failed.empty()) {
                failures.push_back(fs::path(path).filename().string() + ": " + failed);
            }
        }
    }
    const std::string said = errors.restore();
    std::printf("%zu clips in the %s fence; the hosts said:\n%s", clips.size(), GetParam(), said.c_str());
    EXPECT_EQ(failures, std::vector<std::string>{});
    const std::string fence = GetParam() == std::string("namespaces") ? "fenced in its own namespaces"
                                                                      : "no namespaces: ZELKO_MCI_HOST_FENCE=landlock";
    EXPECT_NE(said.find(fence), std::string::npos);
    EXPECT_EQ(said.find("refused system call"), std::string::npos);
    EXPECT_EQ(said.find("zelko.channels"), std::string::npos) << "a host was lost";
}

// The memfd segments of the X images that a process maps now, by inode.
std::set<std::string> imageSegments(pid_t pid)
{
    std::set<std::string> inodes;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find("/memfd:zelko-x-image") != std::string::npos) {
            std::istringstream fields(line);
            std::string range, permissions, offset, device, inode;
            fields >> range >> permissions >> offset >> device >> inode;
            inodes.insert(inode);
        }
    }
    return inodes;
}

// How many of a process's descriptors hold an X image's segment.
int imageDescriptors(pid_t pid)
{
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        std::error_code error;
        count += fs::read_symlink(entry.path(), error).string().starts_with("/memfd:zelko-x-image") ? 1 : 0;
    }
    return count;
}

// The process at the other end of the display's socket: the X server.
pid_t xServer(Display* display)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(ConnectionNumber(display), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 ? peer.pid : 0;
}

// GStreamer's X image sink shares each picture with the X server through memory the host made
// (a memfd handed over the display's socket), not through the socket itself, as System V
// segments would in a process without the fence. The server maps the host's own segments, and
// once the file is closed neither keeps one.
TEST_P(HostFencesTest, TheXServerSharesThePicturesMemory)
{
    const pid_t server = xServer(m_display);
    ASSERT_GT(server, 0) << "the X server is not reached through a local socket";
    HostChannel channel(ZELKO_MCI_HOST);
    const std::string open = "open " + std::string(ZELKO_CLIPS_DIR) + "/video.mpg type MPEGVideo Alias movie parent " +
                             std::to_string(m_window) + " Style 1073741824";
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(send(channel, open), 0u);
        ASSERT_EQ(send(channel, "play movie"), 0u);
        const std::string maps = readAll("/proc/" + std::to_string(channel.hostPid()) + "/maps");
        ASSERT_NE(maps, "") << "the host's memory map cannot be read";
        EXPECT_EQ(maps.find("SYSV"), std::string::npos);
        const std::set<std::string> host = imageSegments(channel.hostPid());
        EXPECT_FALSE(host.empty()) << maps;
        EXPECT_EQ(imageDescriptors(channel.hostPid()), static_cast<int>(host.size()));
        const std::set<std::string> seen = imageSegments(server);
        EXPECT_TRUE(std::includes(seen.begin(), seen.end(), host.begin(), host.end()))
            << "the X server maps " << seen.size() << " of the host's images";
        EXPECT_EQ(send(channel, "close movie"), 0u);
        EXPECT_EQ(imageSegments(channel.hostPid()), std::set<std::string>{}) << "the host keeps a closed file's images";
        EXPECT_EQ(imageDescriptors(channel.hostPid()), 0);
        std::set<std::string> kept;
        const std::set<std::string> after = imageSegments(server);
        std::set_intersection(after.begin(), after.end(), host.begin(), host.end(), std::inserter(kept, kept.end()));
        EXPECT_EQ(kept, std::set<std::string>{}) << "the X server keeps a closed file's images";
    }
}

INSTANTIATE_TEST_SUITE_P(Fences, HostFencesTest, testing::Values("namespaces", "landlock"));

}  // namespace
}  // namespace zelko
