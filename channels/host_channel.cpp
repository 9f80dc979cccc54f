// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_channel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/ascii.h"
#include "platform/short_path.h"
#include "platform/window_rect.h"

namespace zelko::channels {

namespace {

using namespace std::chrono_literals;
using mci::wire::Clock;
using mci::wire::Frame;
using mci::wire::Kind;

constexpr uint32_t kInvalidFile = 296;
// An open prerolls for up to 5 s, then reads the length (a header, or the discoverer).
constexpr std::chrono::milliseconds kOpenDeadline = 7s;
// A seek, or a play or a new speed that seeks, waits up to 3 s for its preroll.
constexpr std::chrono::milliseconds kTransportDeadline = 3500ms;
constexpr std::chrono::milliseconds kCloseDeadline = 2s;
constexpr std::chrono::milliseconds kQueryDeadline = 1s;
// "play ... wait" returns when the range has played; the window never sends it.
constexpr std::chrono::milliseconds kWaitDeadline = 1h;
// A new host loads GStreamer's registry before it answers (all plugins, the first time).
constexpr std::chrono::milliseconds kStartDeadline = 10s;

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

}  // namespace

HostChannel::HostChannel(std::string hostProgram)
    : m_program(std::move(hostProgram)), m_runtimeFolder(makeRuntimeFolder())
{
}

HostChannel::~HostChannel()
{
    m_reader.reset();
    m_host.reset();
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
    if (!m_host) {
        startHost();
    }
}

bool HostChannel::startHost()
{
    std::string why;
    m_host = HostProcess::start(m_program, m_runtimeFolder, m_starts > 0, why);
    if (!m_host) {
        std::fprintf(stderr, "zelko-player: the media engine cannot start (%s)\n", why.c_str());
        return false;
    }
    ++m_starts;
    m_reader = std::make_unique<mci::wire::FrameReader>(m_host->socket());
    m_ready = false;
    return true;
}

void HostChannel::replaceHost(const std::string& why)
{
    m_details[kInvalidFile] = {"The file cannot be played: the media engine " + why + ".", {}};
    m_reader.reset();
    if (m_host) {
        m_host->kill();
        m_host.reset();
    }
    startHost();
}

HostChannel::Outcome HostChannel::exchange(const Frame& request, std::chrono::milliseconds limit, Frame& answer)
{
    if (!m_host && !startHost()) {
        m_details[kInvalidFile] = {"The file cannot be played: the media engine cannot start.", {}};
        return Outcome::Lost;
    }
    // A starting host has its own allowance, so the command's deadline is the command's alone.
    if (!m_ready && !receive(Kind::Hello, Clock::now() + kStartDeadline, answer)) {
        return Outcome::Lost;
    }
    m_ready = true;
    const auto deadline = Clock::now() + limit;
    if (!mci::wire::writeAll(m_host->socket(), mci::wire::encode(request), deadline)) {
        replaceHost("has stopped; it was restarted");
        return Outcome::Lost;
    }
    return receive(Kind::Reply, deadline, answer) ? Outcome::Answered : Outcome::Lost;
}

bool HostChannel::receive(Kind kind, Clock::time_point deadline, Frame& answer)
{
    switch (m_reader->read(answer, deadline)) {
    case mci::wire::ReadResult::Frame:
        if (answer.kind == kind) {
            return true;
        }
        break;
    case mci::wire::ReadResult::TimedOut: replaceHost("stopped answering; it was restarted"); return false;
    case mci::wire::ReadResult::Closed: replaceHost("has stopped; it was restarted"); return false;
    case mci::wire::ReadResult::Malformed: break;
    }
    replaceHost("answered nonsense; it was restarted");
    return false;
}

uint32_t HostChannel::sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t)
{
    if (reply != nullptr && replyLength > 0) {
        reply[0] = '\0';
    }
    const Frame request{Kind::Send, reply != nullptr ? replyLength : 0, 0, std::string(command)};
    Frame answer;
    if (exchange(request, deadlineFor(command), answer) == Outcome::Lost) {
        m_trace.record(kInvalidFile, command);
        return kInvalidFile;
    }
    if (answer.first != 0) {
        m_details[answer.first] = {answer.payload, answer.missingDecoder};
    } else {
        copyOut(answer.payload, reply, replyLength);
    }
    return answer.first;
}

bool HostChannel::getErrorString(uint32_t code, char* buffer, uint32_t length)
{
    if (const auto found = m_details.find(code); found != m_details.end()) {
        copyOut(found->second.text, buffer, length);
        return true;
    }
    Frame answer;
    const Frame request{Kind::Error, code, length, {}};
    if (code == 0 || exchange(request, kQueryDeadline, answer) == Outcome::Lost || answer.first == 0) {
        return false;
    }
    copyOut(answer.payload, buffer, length);
    return true;
}

std::string HostChannel::missingDecoder(uint32_t code)
{
    // Every failure the host told is kept with its detail; a code never told needed nothing.
    const auto found = m_details.find(code);
    return found != m_details.end() ? found->second.missingDecoder : std::string();
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
