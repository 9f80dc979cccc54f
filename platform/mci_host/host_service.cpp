// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/host_service.h"

#include "platform/mci_host/messages.h"
#include "platform/mci_host/state_publisher.h"
#include "platform/mci_host/wire.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <map>
#include <string>
#include <vector>

namespace zelko::mci {

namespace {

// The engine's longest description, and then some.
constexpr uint32_t kDescriptionLength = 256;

// The files the command being answered handed over, by the path the command names.
using Granted = std::map<std::string, platform::OpenedFile>;

platform::ErrorDetail failureOf(Engine& engine, uint32_t code)
{
    char description[kDescriptionLength] = {};
    engine.getErrorString(code, description, sizeof description);
    return {description, engine.missingDecoder(code)};
}

wire::CommandReply answer(Engine& engine, Granted& granted, wire::Command& command)
{
    for (wire::FileGrant& file : command.files) {
        granted[file.path] = platform::OpenedFile{file.state, file.error, std::move(file.fd)};
    }
    const uint32_t length = std::min(command.replyLength, wire::kMaxBody);
    std::string text(std::max<uint32_t>(length, 1), '\0');
    wire::CommandReply reply;
    reply.code = engine.sendString(command.text, length > 0 ? text.data() : nullptr, length, 0);
    // A descriptor the command did not use is closed now, not kept for a later one.
    granted.clear();
    if (reply.code != 0) {
        // The description travels with the failure: the window asks for it next.
        reply.failure = failureOf(engine, reply.code);
    } else {
        reply.reply = text.c_str();
    }
    return reply;
}

wire::Description answer(Engine& engine, const wire::Describe& describe)
{
    wire::Description description;
    char text[kDescriptionLength] = {};
    description.known = engine.getErrorString(describe.code, text, sizeof text);
    description.detail = {text, engine.missingDecoder(describe.code)};
    return description;
}

wire::Tags answer(Engine& engine, const wire::ReadTags& read)
{
    wire::Tags tags;
    if (std::optional<platform::TrackTags> met = engine.tags(read.file)) {
        tags.known = true;
        tags.tags = std::move(*met);
    }
    return tags;
}

// Reads the window's hello; 0 when it speaks this wire.
int checkHello(wire::FrameReader& reader)
{
    wire::Frame frame;
    wire::Hello hello;
    if (reader.read(frame, std::nullopt) != wire::ReadResult::Frame || !wire::unpack(frame, hello) ||
        hello.magic != wire::kMagic) {
        std::fprintf(stderr, "zelko-mci-host: the other end of the channel is not a Zelko Player window\n");
        return 1;
    }
    if (hello.version != wire::kVersion) {
        std::fprintf(stderr,
                     "zelko-mci-host: refused a window of another build: it speaks version %u of the engine's "
                     "wire, this host version %u\n",
                     hello.version, wire::kVersion);
        return 2;
    }
    return 0;
}

// The reply to one request; false when the frame is no request this host knows, or its body
// does not hold one.
bool answerRequest(Engine& engine, Granted& granted, wire::Frame& frame, wire::Frame& reply)
{
    const uint32_t id = frame.requestId;
    switch (frame.kind) {
    case wire::Kind::Command: {
        wire::Command command;
        return wire::unpack(frame, command) && (reply = wire::pack(id, answer(engine, granted, command)), true);
    }
    case wire::Kind::Describe: {
        wire::Describe describe;
        return wire::unpack(frame, describe) && (reply = wire::pack(id, answer(engine, describe)), true);
    }
    case wire::Kind::ReadTags: {
        wire::ReadTags read;
        return wire::unpack(frame, read) && (reply = wire::pack(id, answer(engine, read)), true);
    }
    default: return false;
    }
}

// Waits for the window's next frame. Meanwhile the host publishes what the devices' pipelines
// post (an end, an error), places and draws a picture again when its window is resized or
// uncovered, and samples a playing position when the publisher asks; with nothing playing and
// nothing posted it sleeps.
wire::ReadResult nextFrame(wire::FrameReader& reader, int socket, StatePublisher& publisher, wire::Frame& frame)
{
    for (;;) {
        // A frame already in hand first: the window's hello and its page come together.
        const wire::ReadResult held = reader.read(frame, wire::Clock::time_point{});
        if (held != wire::ReadResult::TimedOut || !publisher.attached()) {
            return held != wire::ReadResult::TimedOut ? held : reader.read(frame, std::nullopt);
        }
        std::vector<pollfd> waits{{socket, POLLIN, 0}};
        for (const int fd : publisher.changeFds()) {
            waits.push_back({fd, POLLIN, 0});
        }
        const int ready = ::poll(waits.data(), waits.size(), publisher.nextSampleMs());
        if (ready < 0 && errno != EINTR) {
            return reader.read(frame, std::nullopt);
        }
        const bool posted =
            std::any_of(waits.begin() + 1, waits.end(), [](const pollfd& wait) { return wait.revents != 0; });
        if (posted) {
            publisher.drainAndPublish();
        } else if (ready == 0) {
            publisher.publish();
        }
        if (waits[0].revents != 0) {
            return reader.read(frame, std::nullopt);
        }
    }
}

}  // namespace

int serve(Engine& engine, int socket)
{
    if (!wire::writeFrame(socket, wire::pack(0, wire::Hello{}), std::nullopt)) {
        return 1;
    }
    wire::FrameReader reader(socket, true);
    if (const int refused = checkHello(reader); refused != 0) {
        return refused;
    }
    // The host opens nothing itself: a path the command did not hand over is not there for it.
    Granted granted;
    engine.setFileOpener([&granted](const std::string& path) {
        const auto found = granted.find(path);
        if (found == granted.end()) {
            return platform::OpenedFile{};
        }
        platform::OpenedFile file = std::move(found->second);
        granted.erase(found);
        return file;
    });
    StatePublisher publisher(engine);
    wire::Frame frame;
    wire::Frame reply;
    for (;;) {
        const wire::ReadResult result = nextFrame(reader, socket, publisher, frame);
        if (result == wire::ReadResult::Closed) {
            return 0;  // the window has gone or closed the channel
        }
        wire::SharePage page;
        const bool sharesPage = result == wire::ReadResult::Frame && frame.kind == wire::Kind::SharePage;
        if (sharesPage && !publisher.attached() && wire::unpack(frame, page) &&
            publisher.attach(std::move(page.page))) {
            continue;
        }
        if (sharesPage || result != wire::ReadResult::Frame || !answerRequest(engine, granted, frame, reply)) {
            std::fprintf(stderr, "zelko-mci-host: the window sent nonsense\n");
            return 1;
        }
        // Published before the reply goes: the window believes the page once it has the reply.
        if (frame.kind == wire::Kind::Command) {
            publisher.publish();
        }
        if (!wire::writeFrame(socket, reply, std::nullopt)) {
            return 1;
        }
    }
}

}  // namespace zelko::mci
