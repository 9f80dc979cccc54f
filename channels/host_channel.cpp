// SPDX-License-Identifier: GPL-3.0-or-later
// The host channel's requests: sent, queued for the host's turn, answered, abandoned, timed out.
// How hosts are started and lost is in host_channel_hosts.cpp.
#include "channels/host_channel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "channels/log.h"
#include "platform/ascii.h"
#include "platform/mci/command_words.h"
#include "platform/mci/errors.h"
#include "platform/mci_error_codes.h"
#include "platform/short_path.h"
#include "platform/time_limit.h"
#include "platform/window_rect.h"

namespace zelko::channels {

namespace {

using namespace std::chrono_literals;
using mci::code::kInvalidFile;

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

void copyOut(std::string_view text, char* buffer, uint32_t length)
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

}  // namespace

// What a file's open on its own thread gave: the file, and which file it is.
struct HostChannel::Opened {
    std::string path;
    platform::OpenedFile file;
    std::optional<platform::FileIdentity> identity;
};

std::string HostChannel::Request::asked() const
{
    return tags ? "the tags of " + logged(tagsPath) : logged(command);
}

HostChannel::HostChannel(std::string hostProgram)
    : m_program(std::move(hostProgram)), m_runtimeFolder(makeRuntimeFolder())
{
    m_deadlines.setSingleShot(true);
    m_deadlines.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_deadlines, &QTimer::timeout, &m_context, [this] { onDeadline(); });
    m_retry.setSingleShot(true);
    QObject::connect(&m_retry, &QTimer::timeout, &m_context, [this] { onRetry(); });
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

HostChannel::RequestId HostChannel::send(std::string_view command, uint32_t replyLength, Completion completion)
{
    // A timer's query, while nothing is pending in the host, is answered from the state it
    // publishes: no round trip, and the trace has the line the engine would have written.
    if (m_link && m_link->ready() && !m_inFlight && m_queue.empty() && PublishedState::hostIsQuiet(m_link->socket())) {
        if (const std::optional<std::string> local = m_published.answer(command, replyLength)) {
            m_trace.record(0, command);
            completion(0, *local);
            return 0;
        }
        // The end test sets the format it counts in before each look: a setting that changes
        // nothing is answered here too.
        if (const std::optional<uint32_t> code = m_published.unchangedBy(command)) {
            if (*code != 0) {
                m_details.erase(*code);  // its description is the engine's own, which the window holds
            }
            m_trace.record(*code, command);
            completion(*code, {});
            return 0;
        }
    }
    Entry entry(*this);
    auto request = std::make_unique<Request>();
    request->id = ++m_lastId;
    request->command = std::string(command);
    request->replyLength = replyLength;
    request->completion = std::move(completion);
    request->limit = deadlineFor(command);
    if (const std::optional<std::string> file = mci::fileOpenedBy(command); file && m_refusal.empty() && !failing()) {
        request->opening = true;
        m_slow.run<Opened>(
            [path = *file] {
                Opened opened{path, platform::openMediaFile(path), {}};
                opened.identity = platform::identityOf(opened.file.fd.get());
                return opened;
            },
            [this, id = request->id](Opened opened) { onFileOpened(id, std::move(opened)); });
    }
    const RequestId id = enqueue(std::move(request));
    entry.finish();
    return waiting(id) ? id : 0;
}

HostChannel::RequestId HostChannel::enqueue(std::unique_ptr<Request> request)
{
    const RequestId id = request->id;
    request->deadline = Clock::now() + request->limit;
    if (!m_refusal.empty() || failing()) {
        // No host will come soon: the window answers now rather than at the deadline.
        failByWindow(*request);
        return id;
    }
    m_queue.push_back(std::move(request));
    pump();
    armDeadlines();
    return id;
}

void HostChannel::onFileOpened(RequestId id, Opened opened)
{
    Entry entry(*this);
    const auto found =
        std::find_if(m_queue.begin(), m_queue.end(), [id](const std::unique_ptr<Request>& r) { return r->id == id; });
    if (found == m_queue.end()) {
        return;  // answered or abandoned meanwhile: the file closes here
    }
    Request& request = **found;
    request.opening = false;
    request.grant = mci::wire::FileGrant{opened.path, opened.file.state, opened.file.error, std::move(opened.file.fd)};
    request.granted = opened.identity.has_value();
    if (opened.identity) {
        request.file = *opened.identity;
    }
    pump();
}

void HostChannel::abandon(RequestId request)
{
    if (request == 0) {
        return;
    }
    Entry entry(*this);
    std::erase_if(m_answers, [request](const auto& answer) { return answer.first == request; });
    m_paths.erase(request);
    std::erase_if(m_queue, [request](const std::unique_ptr<Request>& r) { return r->id == request; });
    if (m_inFlight && m_inFlight->id == request) {
        // The host has it in hand: it may finish it (an idle host given the closing window's
        // Close All does), unless another request needs the host first.
        m_inFlight->abandoned = true;
        m_inFlight->completion = nullptr;
        m_inFlight->told = nullptr;
        pump();
    }
    armDeadlines();
}

// Writes the next request when the host is free and ready for it; gives up a host that is busy
// with a command nobody waits for when another is to go.
void HostChannel::pump()
{
    for (;;) {
        if (m_inFlight) {
            if (!m_inFlight->abandoned || m_queue.empty()) {
                return;
            }
            loseHost(Loss::GivenUp, "was still busy with " + m_inFlight->asked() + ", which the window gave up");
            continue;
        }
        if (m_queue.empty()) {
            return;
        }
        if (!m_refusal.empty() || failing()) {
            failQueued();
            return;
        }
        if (!m_link) {
            startHost(0);  // unless one is on its way
            return;
        }
        if (!m_link->ready() || m_queue.front()->opening) {
            return;
        }
        if (m_queue.front()->tags &&
            std::find(m_opened.begin(), m_opened.end(), m_queue.front()->file) == m_opened.end()) {
            std::unique_ptr<Request> unknown = std::move(m_queue.front());
            m_queue.pop_front();
            answerTags(*unknown, {});  // the host that opened it is gone
            continue;
        }
        m_inFlight = std::move(m_queue.front());
        m_queue.pop_front();
        m_lastWireId = m_lastWireId == UINT32_MAX ? 1 : m_lastWireId + 1;
        m_inFlight->wireId = m_lastWireId;
        if (!m_link->write(frameFor(*m_inFlight))) {
            loseHost(Loss::Ended, "before it took " + m_inFlight->asked());
            continue;
        }
        if (m_inFlight->granted) {
            rememberOpened(m_inFlight->file);
        }
        return;
    }
}

mci::wire::Frame HostChannel::frameFor(Request& request)
{
    if (request.tags) {
        return mci::wire::pack(request.wireId, mci::wire::ReadTags{request.file});
    }
    mci::wire::Command command{request.replyLength, request.command, {}};
    if (request.grant) {
        command.files.push_back(std::move(*request.grant));
        request.grant.reset();
    }
    return mci::wire::pack(request.wireId, std::move(command));
}

void HostChannel::rememberOpened(const platform::FileIdentity& file)
{
    std::erase(m_opened, file);
    m_opened.push_back(file);
    if (m_opened.size() > kOpenedKept) {
        m_opened.pop_front();
    }
}

void HostChannel::onReply(mci::wire::Frame& frame)
{
    if (!m_inFlight || frame.requestId != m_inFlight->wireId) {
        loseHost(Loss::Nonsense, m_inFlight
                                     ? "answered request " + std::to_string(frame.requestId) + " in place of " +
                                           std::to_string(m_inFlight->wireId) + ", " + m_inFlight->asked()
                                     : "answered request " + std::to_string(frame.requestId) + ", which nobody asked");
        return;
    }
    if (m_inFlight->tags) {
        mci::wire::Tags told;
        if (!mci::wire::unpack(frame, told)) {
            loseHost(Loss::Nonsense, "answered " + m_inFlight->asked() + " with nonsense");
            return;
        }
        std::unique_ptr<Request> done = std::move(m_inFlight);
        answerTags(*done, told.known ? std::move(told.tags) : platform::TrackTags{});
    } else {
        mci::wire::CommandReply reply;
        if (!mci::wire::unpack(frame, reply)) {
            loseHost(Loss::Nonsense, "answered " + m_inFlight->asked() + " with nonsense");
            return;
        }
        std::unique_ptr<Request> done = std::move(m_inFlight);
        if (reply.code != 0) {
            m_details[reply.code] = std::move(reply.failure);
            reply.reply.clear();
        } else if (done->replyLength == 0) {
            reply.reply.clear();
        } else if (reply.reply.size() >= done->replyLength) {
            reply.reply.resize(done->replyLength - 1);
        }
        answer(*done, reply.code, std::move(reply.reply));
    }
    pump();
    armDeadlines();
}

void HostChannel::answer(Request& request, uint32_t code, std::string reply)
{
    if (request.completion) {
        later(request.id, [completion = std::move(request.completion), code, reply = std::move(reply)] {
            completion(code, reply);
        });
    }
}

void HostChannel::answerTags(Request& request, platform::TrackTags tags)
{
    if (request.told) {
        later(request.id,
              [told = std::move(request.told), tags = std::move(tags)]() mutable { told(std::move(tags)); });
    }
}

void HostChannel::failByWindow(Request& request)
{
    if (request.tags) {
        answerTags(request, {});
        return;
    }
    // A command nobody waits for any more was answered to nobody: the trace does not say it was.
    if (!request.abandoned) {
        m_trace.record(kInvalidFile, request.command);
    }
    answer(request, kInvalidFile, {});
}

void HostChannel::failQueued()
{
    std::deque<std::unique_ptr<Request>> failed = std::exchange(m_queue, {});
    for (const std::unique_ptr<Request>& request : failed) {
        failByWindow(*request);
    }
}

void HostChannel::later(RequestId id, std::function<void()> call)
{
    m_answers.emplace_back(id, std::move(call));
}

void HostChannel::handOutAnswers()
{
    // Each answer is taken off the list before it runs: it may send, abandon, or add answers.
    while (!m_answers.empty()) {
        std::function<void()> call = std::move(m_answers.front().second);
        m_answers.pop_front();
        call();
    }
}

bool HostChannel::waiting(RequestId id) const
{
    const auto is = [id](const auto& request) { return request->id == id; };
    return (m_inFlight && is(m_inFlight)) || std::any_of(m_queue.begin(), m_queue.end(), is) ||
           std::any_of(m_answers.begin(), m_answers.end(), [id](const auto& answer) { return answer.first == id; }) ||
           m_paths.count(id) > 0;
}

void HostChannel::armDeadlines()
{
    std::optional<Clock::time_point> next;
    const auto earliest = [&next](Clock::time_point at) { next = next ? std::min(*next, at) : at; };
    if (m_inFlight) {
        earliest(m_inFlight->deadline);
    }
    for (const std::unique_ptr<Request>& request : m_queue) {
        earliest(request->deadline);
    }
    for (const auto& lookup : m_paths) {
        earliest(lookup.second.deadline);
    }
    if (m_spawning) {
        earliest(m_spawnedAt + kStartDeadline);
    }
    if (m_link && !m_link->ready()) {
        earliest(m_link->startedAt() + kStartDeadline);
    }
    if (!next) {
        m_deadlines.stop();
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
    m_deadlines.start(static_cast<int>(std::max<int64_t>(left.count(), 0)));
}

void HostChannel::onDeadline()
{
    Entry entry(*this);
    const Clock::time_point now = Clock::now();
    if (m_spawning && now >= m_spawnedAt + kStartDeadline) {
        m_spawning = false;
        ++m_generation;  // its process, should it come after all, is killed
        startFailed("it was not started within " + std::to_string(kStartDeadline.count()) + " ms", false);
    }
    if (m_link && !m_link->ready() && now >= m_link->startedAt() + kStartDeadline) {
        startFailed("it did not say hello within " + std::to_string(kStartDeadline.count()) + " ms", false);
    }
    if (m_inFlight && now >= m_inFlight->deadline) {
        loseHost(Loss::Missed,
                 "missed the " + std::to_string(m_inFlight->limit.count()) + " ms deadline of " + m_inFlight->asked());
    }
    // A request that waited its whole deadline for a starting host, or for its file: the host
    // is not to blame for it.
    std::deque<std::unique_ptr<Request>> expired;
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (now >= (*it)->deadline) {
            expired.push_back(std::move(*it));
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::unique_ptr<Request>& request : expired) {
        const char* waitedFor = request->opening ? "its file" : "the engine host";
        qCDebug(lcChannels, "%s waited its %lld ms for %s in vain", request->asked().c_str(),
                static_cast<long long>(request->limit.count()), waitedFor);
        m_details[kInvalidFile] = {request->opening
                                       ? "The file cannot be played: it could not be read in time."
                                       : "The file cannot be played: the media engine did not start in time.",
                                   {}};
        failByWindow(*request);
    }
    // A short path whose look-up still waits on its disk: the file counts as not found.
    for (auto it = m_paths.begin(); it != m_paths.end();) {
        if (now >= it->second.deadline) {
            qCDebug(lcChannels, "the short path of a file waited %lld ms for its disk in vain",
                    static_cast<long long>(kOpenDeadline.count()));
            later(it->first, [completion = std::move(it->second.completion)] { completion(0, {}); });
            it = m_paths.erase(it);
        } else {
            ++it;
        }
    }
    pump();
    armDeadlines();
}

HostChannel::RequestId HostChannel::findShortPath(std::string_view longPath, uint32_t length, Completion completion)
{
    Entry entry(*this);
    const RequestId id = ++m_lastId;
    // The look-up belongs to an open, and waits no longer than the open itself may.
    m_paths.emplace(id, PathLookup{std::move(completion), Clock::now() + kOpenDeadline});
    armDeadlines();
    using Found = std::pair<uint32_t, std::string>;
    m_slow.run<Found>(
        [path = std::string(longPath), length] {
            std::string buffer(length, '\0');
            const uint32_t found = platform::getShortPathName(path, buffer.data(), length);
            return Found{found, found > 0 && found < length ? buffer.substr(0, found) : std::string()};
        },
        [this, id](Found found) {
            Entry entry(*this);
            const auto waiting = m_paths.find(id);
            if (waiting == m_paths.end()) {
                return;  // abandoned
            }
            later(id, [completion = std::move(waiting->second.completion), found = std::move(found)] {
                completion(found.first, found.second);
            });
            m_paths.erase(waiting);
        });
    return id;
}

void HostChannel::readTags(const std::string& path, Done done)
{
    Entry entry(*this);
    const RequestId id = ++m_lastId;
    if (m_opened.empty()) {
        later(id, [done = std::move(done)] { done({}); });  // no host has opened a file
        return;
    }
    m_slow.run<std::optional<platform::FileIdentity>>(
        [path] { return platform::identityOf(path); },
        [this, id, path, done = std::move(done)](std::optional<platform::FileIdentity> file) mutable {
            Entry entry(*this);
            auto request = std::make_unique<Request>();
            request->id = id;
            request->tags = true;
            request->tagsPath = path;
            request->told = std::move(done);
            request->limit = kTagsDeadline;
            if (!file || std::find(m_opened.begin(), m_opened.end(), *file) == m_opened.end()) {
                answerTags(*request, {});
                return;
            }
            request->file = *file;
            enqueue(std::move(request));
        });
}

bool HostChannel::getErrorString(uint32_t code, char* buffer, uint32_t length)
{
    // Every failure the host told came with its description; the rest are the engine's own
    // words for the code, which the window holds too.
    if (const auto found = m_details.find(code); found != m_details.end()) {
        copyOut(found->second.text, buffer, length);
        return true;
    }
    const std::string_view description = mci::errorDescription(code);
    if (description.empty()) {
        return false;
    }
    copyOut(description, buffer, length);
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
