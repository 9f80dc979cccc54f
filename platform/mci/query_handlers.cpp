// The verbs that read and set the device's settings: status, set, where, put.
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"
#include "platform/mci/session.h"

#include <array>
#include <climits>
#include <span>

namespace zelko::mci {

namespace {

// The largest speed taken: a thousand times normal.
constexpr int64_t kMaxSpeedPermille = 1'000'000;

std::string_view modeName(Mode mode)
{
    switch (mode) {
    case Mode::NotReady:
        return "not ready";
    case Mode::Playing:
        return "playing";
    case Mode::Paused:
        return "paused";
    case Mode::Stopped:
        break;
    }
    return "stopped";
}

std::string rectText(const Rect& rect)
{
    return std::to_string(rect.x) + " " + std::to_string(rect.y) + " " + std::to_string(rect.width) +
           " " + std::to_string(rect.height);
}

// The one item of a status or where command among `items`: 273 when none, 284 when several.
uint32_t singleItem(const ParsedCommand& command, std::span<const std::string_view> items,
                    std::string_view& item)
{
    int found = 0;
    for (const std::string_view candidate : items) {
        if (command.has(candidate)) {
            item = candidate;
            ++found;
        }
    }
    return found == 0 ? code::kMissingParameter : found > 1 ? code::kFlagsNotCompatible : code::kSuccess;
}

uint32_t setTimeFormat(Device& device, std::string_view value)
{
    const std::string format = toLower(value);
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

uint32_t handleStatus(Session& session, const ParsedCommand& command, std::string& reply)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    static constexpr std::array<std::string_view, 6> kItems{"length", "position", "speed",
                                                            "mode",   "ready",    "time"};
    std::string_view item;
    if (const uint32_t result = singleItem(command, kItems, item); result != 0) {
        return result;
    }
    if (item == "length") {
        reply = std::to_string(toUnits(*device, device->lengthNs()));
    } else if (item == "position") {
        reply = std::to_string(toUnits(*device, device->positionNs()));
    } else if (item == "speed") {
        reply = std::to_string(device->speed());
    } else if (item == "mode") {
        reply = modeName(device->mode());
    } else if (item == "ready") {
        reply = device->mode() == Mode::NotReady ? "false" : "true";
    } else {
        reply = device->timeFormat() == TimeFormat::Frames ? "frames" : "milliseconds";
    }
    return code::kSuccess;
}

uint32_t handleSet(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    const Argument* format = command.find("time");
    const Argument* speed = command.find("speed");
    if (format == nullptr && speed == nullptr) {
        return code::kMissingParameter;
    }
    int64_t permille = 0;
    if (speed != nullptr) {
        if (!parseInteger(speed->values[0], permille)) {
            return code::kBadInteger;
        }
        if (permille < 1 || permille > kMaxSpeedPermille) {
            return code::kOutOfRange;
        }
    }
    if (format != nullptr) {
        if (const uint32_t result = setTimeFormat(*device, format->values[0]); result != 0) {
            return result;
        }
    }
    return speed != nullptr ? device->setSpeed(static_cast<uint32_t>(permille)) : code::kSuccess;
}

uint32_t handleWhere(Session& session, const ParsedCommand& command, std::string& reply)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    static constexpr std::array<std::string_view, 2> kItems{"destination", "source"};
    std::string_view item;
    if (const uint32_t result = singleItem(command, kItems, item); result != 0) {
        return result;
    }
    if (!device->hasVideo()) {
        return code::kNoWindow;
    }
    reply = rectText(item == "source" ? device->source() : device->destination());
    return code::kSuccess;
}

uint32_t handlePut(Session& session, const ParsedCommand& command, std::string&)
{
    Device* device = nullptr;
    if (const uint32_t result = targetDevice(session, command, device); result != 0) {
        return result;
    }
    static constexpr std::array<std::string_view, 2> kItems{"window", "destination"};
    std::string_view item;
    if (const uint32_t result = singleItem(command, kItems, item); result != 0) {
        return result;
    }
    std::array<int64_t, 4> numbers{};
    const Argument* rectangle = command.find(item);
    for (size_t i = 0; i < numbers.size(); ++i) {
        parseInteger(rectangle->values[i], numbers[i]);
        if (numbers[i] < INT32_MIN || numbers[i] > INT32_MAX) {
            return code::kBadInteger;
        }
    }
    if (numbers[2] < 0 || numbers[3] < 0) {
        return code::kOutOfRange;
    }
    if (!device->hasVideo()) {
        return code::kNoWindow;
    }
    return device->putWindow({numbers[0], numbers[1], numbers[2], numbers[3]});
}

}  // namespace zelko::mci
