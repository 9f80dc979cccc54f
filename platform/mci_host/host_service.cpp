// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/host_service.h"

#include "platform/mci_host/messages.h"
#include "platform/mci_host/wire.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

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
    wire::Frame frame;
    wire::Frame reply;
    for (;;) {
        const wire::ReadResult result = reader.read(frame, std::nullopt);
        if (result == wire::ReadResult::Closed) {
            return 0;  // the window has gone or closed the channel
        }
        if (result != wire::ReadResult::Frame || !answerRequest(engine, granted, frame, reply)) {
            std::fprintf(stderr, "zelko-mci-host: the window sent nonsense\n");
            return 1;
        }
        if (!wire::writeFrame(socket, reply, std::nullopt)) {
            return 1;
        }
    }
}

}  // namespace zelko::mci
