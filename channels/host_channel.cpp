// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_channel.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

#include "channels/log.h"
#include "platform/ascii.h"
#include "platform/mci/command_words.h"
#include "platform/mci_error_codes.h"
#include "platform/short_path.h"
#include "platform/time_limit.h"
#include "platform/window_rect.h"

namespace zelko::channels {

namespace {

using namespace std::chrono_literals;
using mci::code::kInvalidFile;
using mci::wire::Clock;
using mci::wire::Frame;

// The deadlines stretch with the engine's own limits in a slower (sanitizer) build, so a host
// is never given up on before the engine inside it would have given up itself.
using platform::timeLimit;
// An open prerolls for up to 5 s, then reads the length (a header, or the discoverer).
constexpr std::chrono::milliseconds kOpenDeadline = timeLimit(7s);
// A seek, or a play or a new speed that seeks, waits up to 3 s for its preroll.
constexpr std::chrono::milliseconds kTransportDeadline = timeLimit(3500ms);
constexpr std::chrono::milliseconds kCloseDeadline = timeLimit(2s);
constexpr std::chrono::milliseconds kQueryDeadline = timeLimit(1s);
// "play ... wait" returns when the range has played; the window never sends it.
constexpr std::chrono::milliseconds kWaitDeadline = timeLimit(1h);
// A new host loads GStreamer's registry before it answers (all plugins, the first time).
constexpr std::chrono::milliseconds kStartDeadline = timeLimit(10s);
// A host that closed its channel is on its way out; it is given this long to be gone.
constexpr int kEndingMs = timeLimit(500);
// How long a closing window lets the host close its devices before it is killed.
constexpr int kClosingMs = timeLimit(1000);
// The files whose tags the host is asked about: the latest few it opened.
constexpr size_t kOpenedKept = 16;

// Folder for the host's own files: the user's runtime folder where there is one.
std::string makeRuntimeFolder()
{
    const char* base = std::getenv("XDG_RUNTIME_DIR");
    std::string pattern =
        std::string(base != nullptr && ::access(base, W_OK) == 0 ? base : "/tmp") + "/zelko-mci-host-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void copyOut(const std::string& text, char* buffer, uint32_t length)
{
    if (buffer != nullptr && length > 0) {
        const size_t count = std::min<size_t>(text.size(), length - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
    }
}

// A command as the log quotes it: without the blanks the media layer pads it with.
std::string logged(std::string_view command)
{
    const size_t end = command.find_last_not_of(' ');
    return "\"" + std::string(command.substr(0, end == std::string_view::npos ? 0 : end + 1)) + "\"";
}

std::string howItEnded(std::optional<int> status)
{
    if (!status) {
        return "left its channel and was killed";
    }
    if (WIFSIGNALED(*status)) {
        const int signal = WTERMSIG(*status);
        return "died of signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
    }
    return "exited with status " + std::to_string(WEXITSTATUS(*status));
}

}  // namespace

HostChannel::HostChannel(std::string hostProgram)
    : m_program(std::move(hostProgram)), m_runtimeFolder(makeRuntimeFolder())
{
}

HostChannel::~HostChannel()
{
    m_reader.reset();
    if (m_host) {
        // The host reads the end of its channel and closes its devices on the way out.
        const int pid = m_host->pid();
        ::shutdown(m_host->socket(), SHUT_RDWR);
        if (!m_host->waitForEnd(kClosingMs)) {
            qCWarning(lcChannels, "killed the engine host (pid %d): it did not end within %d ms of the window closing",
                      pid, kClosingMs);
            m_host->kill();
        }
        m_host.reset();
    }
    if (!m_runtimeFolder.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_runtimeFolder, error);
    }
}

std::chrono::milliseconds HostChannel::deadlineFor(std::string_view command)
{
    const size_t start = command.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return kQueryDeadline;
    }
    const std::string text = platform::asciiLower(command.substr(start));
    const std::string verb = text.substr(0, text.find_first_of(" \t"));
    if (verb == "open") {
        return kOpenDeadline;
    }
    if (verb == "close") {
        return kCloseDeadline;
    }
    if (verb == "status" || verb == "where") {
        return kQueryDeadline;
    }
    const size_t wait = text.rfind(" wait");
    if (wait != std::string::npos && text.find_first_not_of(" \t", wait + 5) == std::string::npos) {
        return kWaitDeadline;
    }
    return kTransportDeadline;
}

void HostChannel::warmUp()
{
    if (!m_host && m_refusal.empty()) {
        startHost(0);
    }
}

bool HostChannel::startHost(int replacing)
{
    m_published.forget();
    std::string why;
    m_host = HostProcess::start(m_program, m_runtimeFolder, m_starts > 0, why);
    m_ready = false;
    if (!m_host) {
        qCCritical(lcChannels, "the media engine cannot start (%s)", why.c_str());
        return false;
    }
    ++m_starts;
    if (replacing != 0) {
        qCInfo(lcChannels, "started the engine host (pid %d) in place of pid %d", m_host->pid(), replacing);
    } else {
        qCDebug(lcChannels, "started the engine host (pid %d)", m_host->pid());
    }
    m_reader = std::make_unique<mci::wire::FrameReader>(m_host->socket(), false);
    // The window's hello goes at once: the host reads it after its own.
    mci::wire::writeFrame(m_host->socket(), mci::wire::pack(0, mci::wire::Hello{}), Clock::now() + kStartDeadline);
    // Then the page the host publishes its devices' state on, a new one for each host.
    if (platform::UniqueFd page = m_published.renew()) {
        mci::wire::writeFrame(m_host->socket(), mci::wire::pack(0, mci::wire::SharePage{std::move(page)}),
                              Clock::now() + kStartDeadline);
    }
    return true;
}

void HostChannel::replaceHost(Loss loss, const std::string& cause)
{
    const char* why = loss == Loss::Missed  ? "stopped answering"
                      : loss == Loss::Ended ? "has stopped"
                                            : "answered nonsense";
    m_details[kInvalidFile] = {
        "The file cannot be played: the media engine " + std::string(why) + "; it was restarted.", {}};
    m_reader.reset();
    m_opened.clear();
    const int pid = m_host ? m_host->pid() : 0;
    if (m_host && loss == Loss::Ended) {
        const std::optional<int> status = m_host->waitForEnd(kEndingMs);
        if (!status) {
            m_host->kill();
        }
        qCWarning(lcChannels, "the engine host (pid %d) %s %s", pid, howItEnded(status).c_str(), cause.c_str());
    } else if (m_host) {
        m_host->kill();
        qCWarning(lcChannels, "killed the engine host (pid %d): it %s", pid, cause.c_str());
    }
    m_host.reset();
    startHost(pid);
}

void HostChannel::refuse(const std::string& reason)
{
    m_refusal = reason;
    m_details[kInvalidFile] = {"The file cannot be played: the media engine is of another build of the player.", {}};
    qCCritical(lcChannels,
               "refused the engine host %s (pid %d): %s; no file will play until the player is "
               "installed again",
               m_program.c_str(), m_host->pid(), reason.c_str());
    m_reader.reset();
    m_host->kill();
    m_host.reset();
    m_opened.clear();
    m_published.forget();
}

bool HostChannel::greet()
{
    Frame frame;
    mci::wire::Hello hello;
    switch (m_reader->read(frame, Clock::now() + kStartDeadline)) {
    case mci::wire::ReadResult::Frame: break;
    case mci::wire::ReadResult::TimedOut:
        replaceHost(Loss::Missed, "did not say hello within " + std::to_string(kStartDeadline.count()) + " ms");
        return false;
    case mci::wire::ReadResult::Closed: replaceHost(Loss::Ended, "while starting"); return false;
    case mci::wire::ReadResult::Malformed: refuse("it does not speak the engine's wire"); return false;
    }
    if (!mci::wire::unpack(frame, hello) || hello.magic != mci::wire::kMagic) {
        refuse("it does not speak the engine's wire");
        return false;
    }
    if (hello.version != mci::wire::kVersion) {
        refuse("it speaks version " + std::to_string(hello.version) + " of the engine's wire, this window version " +
               std::to_string(mci::wire::kVersion) + "; the two come from different builds");
        return false;
    }
    m_ready = true;
    return true;
}

std::string HostChannel::Asked::text() const
{
    return std::string(label) + logged(subject);
}

HostChannel::Outcome HostChannel::exchange(Frame request, Asked asked, std::chrono::milliseconds limit, Frame& reply)
{
    if (!m_refusal.empty()) {
        return Outcome::Lost;
    }
    if (!m_host && !startHost(0)) {
        m_details[kInvalidFile] = {"The file cannot be played: the media engine cannot start.", {}};
        return Outcome::Lost;
    }
    // A starting host has its own allowance, so the command's deadline is the command's alone.
    if (!m_ready && !greet()) {
        return Outcome::Lost;
    }
    request.requestId = m_nextRequest++;
    const auto deadline = Clock::now() + limit;
    if (!mci::wire::writeFrame(m_host->socket(), request, deadline)) {
        replaceHost(Loss::Ended, "before it took " + asked.text());
        return Outcome::Lost;
    }
    switch (m_reader->read(reply, deadline)) {
    case mci::wire::ReadResult::Frame: break;
    case mci::wire::ReadResult::TimedOut:
        replaceHost(Loss::Missed, "missed the " + std::to_string(limit.count()) + " ms deadline of " + asked.text());
        return Outcome::Lost;
    case mci::wire::ReadResult::Closed:
        replaceHost(Loss::Ended, "while answering " + asked.text());
        return Outcome::Lost;
    case mci::wire::ReadResult::Malformed:
        replaceHost(Loss::Nonsense, "sent a broken frame for " + asked.text());
        return Outcome::Lost;
    }
    if (reply.requestId != request.requestId) {
        replaceHost(Loss::Nonsense, "answered request " + std::to_string(reply.requestId) + " in place of " +
                                        std::to_string(request.requestId) + ", " + asked.text());
        return Outcome::Lost;
    }
    return Outcome::Answered;
}

mci::wire::FileGrant HostChannel::grantFor(const std::string& path)
{
    platform::OpenedFile file = platform::openMediaFile(path);
    if (const std::optional<platform::FileIdentity> identity = platform::identityOf(file.fd.get())) {
        std::erase(m_opened, *identity);
        m_opened.push_back(*identity);
        if (m_opened.size() > kOpenedKept) {
            m_opened.pop_front();
        }
    }
    return {path, file.state, file.error, std::move(file.fd)};
}

uint32_t HostChannel::sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t)
{
    if (reply != nullptr && replyLength > 0) {
        reply[0] = '\0';
    }
    // The timers' queries are answered from the state the host publishes, while nothing is
    // pending in it: no round trip, and the trace has the line the engine would have written.
    if (m_host && PublishedState::hostIsQuiet(m_host->socket())) {
        if (const std::optional<std::string> local = m_published.answer(command, reply != nullptr ? replyLength : 0)) {
            copyOut(*local, reply, replyLength);
            m_trace.record(0, command);
            return 0;
        }
        // The end test sets the format it counts in before each look: a setting that changes
        // nothing is answered here too.
        if (const std::optional<uint32_t> code = m_published.unchangedBy(command)) {
            if (*code != 0) {
                m_details.erase(*code);  // its description is the engine's own, asked when wanted
            }
            m_trace.record(*code, command);
            return *code;
        }
    }
    mci::wire::Command request{reply != nullptr ? replyLength : 0, std::string(command), {}};
    if (const std::optional<std::string> file = mci::fileOpenedBy(command)) {
        request.files.push_back(grantFor(*file));
    }
    Frame frame;
    mci::wire::CommandReply answer;
    if (exchange(mci::wire::pack(0, std::move(request)), {"", command}, deadlineFor(command), frame) == Outcome::Lost) {
        m_trace.record(kInvalidFile, command);
        return kInvalidFile;
    }
    if (!mci::wire::unpack(frame, answer)) {
        replaceHost(Loss::Nonsense, "answered " + logged(command) + " with nonsense");
        m_trace.record(kInvalidFile, command);
        return kInvalidFile;
    }
    if (answer.code != 0) {
        m_details[answer.code] = std::move(answer.failure);
    } else {
        copyOut(answer.reply, reply, replyLength);
    }
    return answer.code;
}

bool HostChannel::getErrorString(uint32_t code, char* buffer, uint32_t length)
{
    if (const auto found = m_details.find(code); found != m_details.end()) {
        copyOut(found->second.text, buffer, length);
        return true;
    }
    Frame frame;
    mci::wire::Description answer;
    const std::string number = std::to_string(code);
    const Asked asked{"the description of ", number};
    if (code == 0 ||
        exchange(mci::wire::pack(0, mci::wire::Describe{code}), asked, kQueryDeadline, frame) == Outcome::Lost) {
        return false;
    }
    if (!mci::wire::unpack(frame, answer)) {
        replaceHost(Loss::Nonsense, "answered " + asked.text() + " with nonsense");
        return false;
    }
    if (answer.known) {
        copyOut(answer.detail.text, buffer, length);
    }
    return answer.known;
}

std::string HostChannel::missingDecoder(uint32_t code)
{
    // Every failure the host told is kept with its detail; a code never told needed nothing.
    const auto found = m_details.find(code);
    return found != m_details.end() ? found->second.missingDecoder : std::string();
}

void HostChannel::readTags(const std::string& path, Done done)
{
    const std::optional<platform::FileIdentity> file = platform::identityOf(path);
    Frame frame;
    mci::wire::Tags answer;
    if (file && std::find(m_opened.begin(), m_opened.end(), *file) != m_opened.end() &&
        exchange(mci::wire::pack(0, mci::wire::ReadTags{*file}), {"the tags of ", path}, kTagsDeadline, frame) ==
            Outcome::Answered &&
        !mci::wire::unpack(frame, answer)) {
        replaceHost(Loss::Nonsense, "answered the tags of " + logged(path) + " with nonsense");
    }
    done(answer.known ? std::move(answer.tags) : platform::TrackTags{});
}

uint32_t HostChannel::getShortPathName(const char* longPath, char* buffer, uint32_t length)
{
    return longPath ? platform::getShortPathName(longPath, buffer, length) : 0;
}

bool HostChannel::getWindowRect(int64_t windowHandle, platform::WindowRect& rect)
{
    return platform::getWindowRect(windowHandle, rect);
}

}  // namespace zelko::channels
