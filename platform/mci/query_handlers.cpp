// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that read and set the device's settings: status, set, setaudio, where, put.
#include "platform/mci/arguments.h"
#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"
#include "platform/mci/device.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"
#include "platform/volume.h"

namespace zelko::mci {

namespace {

// The largest speed taken: a thousand times normal.
constexpr int64_t kMaxSpeedPermille = 1'000'000;

std::string rectText(const Rect& rect)
{
    return std::to_string(rect.x) + " " + std::to_string(rect.y) + " " + std::to_string(rect.width) + " " +
           std::to_string(rect.height);
}

uint32_t setTimeFormat(Device& device, std::string_view value)
{
    const std::string format = platform::asciiLower(value);
    if (format == "ms" || format == "milliseconds") {
        device.setTimeFormat(TimeFormat::Milliseconds);
        return code::kSuccess;
    }
    if (format == "frames" && device.hasVideo()) {
        device.setTimeFormat(TimeFormat::Frames);
        return code::kSuccess;
    }
    return code::kBadTimeFormat;
}

}  // namespace

uint32_t statusLength(Device& device, const Arguments&, std::string& reply)
{
    reply = std::to_string(toUnits(device, device.lengthNs()));
    return code::kSuccess;
}

uint32_t statusPosition(Device& device, const Arguments&, std::string& reply)
{
    reply = std::to_string(toUnits(device, device.positionNs()));
    return code::kSuccess;
}

uint32_t statusSpeed(Device& device, const Arguments&, std::string& reply)
{
    reply = std::to_string(device.speed());
    return code::kSuccess;
}

uint32_t statusMode(Device& device, const Arguments&, std::string& reply)
{
    switch (device.mode()) {
    case Mode::Playing: reply = "playing"; break;
    case Mode::Paused: reply = "paused"; break;
    case Mode::Stopped: reply = "stopped"; break;
    }
    return code::kSuccess;
}

// Every open device is ready (see Mode).
uint32_t statusReady(Device&, const Arguments&, std::string& reply)
{
    reply = "true";
    return code::kSuccess;
}

uint32_t statusTimeFormat(Device& device, const Arguments&, std::string& reply)
{
    reply = device.timeFormat() == TimeFormat::Frames ? "frames" : "milliseconds";
    return code::kSuccess;
}

uint32_t statusVolume(Device& device, const Arguments&, std::string& reply)
{
    reply = std::to_string(device.volume());
    return code::kSuccess;
}

// A bad volume is refused before anything changes; "on" with "off" is a contradiction.
uint32_t handleSetAudio(Device& device, const Arguments& arguments, std::string&)
{
    const std::optional<int64_t> volume = arguments.integer("volume");
    if (volume && (*volume < 0 || *volume > platform::kFullVolume)) {
        return code::kOutOfRange;
    }
    if (arguments.has("on") && arguments.has("off")) {
        return code::kFlagsNotCompatible;
    }
    if (volume) {
        device.setVolume(static_cast<uint32_t>(*volume));
    }
    if (arguments.has("on") || arguments.has("off")) {
        device.setMuted(arguments.has("off"));
    }
    return code::kSuccess;
}

uint32_t handleSet(Device& device, const Arguments& arguments, std::string&)
{
    const std::optional<int64_t> speed = arguments.integer("speed");
    if (speed && (*speed < 1 || *speed > kMaxSpeedPermille)) {
        return code::kOutOfRange;
    }
    if (const std::optional<std::string_view> format = arguments.word("time")) {
        if (const uint32_t result = setTimeFormat(device, *format); result != 0) {
            return result;
        }
    }
    return speed ? device.setSpeed(static_cast<uint32_t>(*speed)) : code::kSuccess;
}

uint32_t whereDestination(Device& device, const Arguments&, std::string& reply)
{
    if (!device.hasVideo()) {
        return code::kNoWindow;
    }
    reply = rectText(device.destination());
    return code::kSuccess;
}

uint32_t whereSource(Device& device, const Arguments&, std::string& reply)
{
    if (!device.hasVideo()) {
        return code::kNoWindow;
    }
    reply = rectText(device.source());
    return code::kSuccess;
}

uint32_t putWindow(Device& device, const Arguments& arguments, std::string&)
{
    // "put window at" and "put destination at" both place the picture.
    const Rect rect = *arguments.rectangle(arguments.item()->name);
    if (rect.width < 0 || rect.height < 0) {
        return code::kOutOfRange;
    }
    if (!device.hasVideo()) {
        return code::kNoWindow;
    }
    return device.putWindow(rect);
}

}  // namespace zelko::mci
