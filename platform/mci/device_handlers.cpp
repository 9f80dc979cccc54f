// The verbs that open and close devices, and the helpers every handler shares.
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"
#include "platform/mci/session.h"

#include <array>

namespace zelko::mci {

namespace {

// Every device type the player may name opens the same GStreamer device.
constexpr std::array<std::string_view, 4> kDeviceTypes{"mpegvideo", "waveaudio", "sequencer",
                                                       "avivideo"};

bool knownType(std::string_view type)
{
    const std::string lower = toLower(type);
    for (const std::string_view known : kDeviceTypes) {
        if (lower == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

uint32_t targetDevice(Session& session, const ParsedCommand& command, Device*& device)
{
    if (toLower(command.device) == "all") {
        return code::kCannotUseAll;
    }
    device = session.find(command.device);
    return device != nullptr ? code::kSuccess : code::kInvalidDeviceName;
}

uint32_t readTime(const Device& device, std::string_view text, int64_t& ns)
{
    int64_t units = 0;
    if (!parseInteger(text, units)) {
        return code::kBadInteger;
    }
    const int64_t lengthUnits = toUnits(device, device.lengthNs());
    if (units < 0 || units > lengthUnits) {
        return code::kOutOfRange;
    }
    // The length in units stands for the very end, not for the nearest whole unit.
    ns = units == lengthUnits
             ? device.lengthNs()
             : unitsToNs(units, device.timeFormat(), device.framesPerSecond());
    return code::kSuccess;
}

int64_t toUnits(const Device& device, int64_t ns)
{
    return nsToUnits(ns, device.timeFormat(), device.framesPerSecond());
}

uint32_t handleOpen(Session& session, const ParsedCommand& command, std::string& reply)
{
    const Argument* type = command.find("type");
    if (type != nullptr && !knownType(type->values[0])) {
        return code::kInvalidDeviceName;
    }
    int64_t parent = 0;
    if (const Argument* argument = command.find("parent");
        argument != nullptr && (!parseInteger(argument->values[0], parent) || parent < 0)) {
        return code::kBadInteger;
    }
    int64_t style = 0;
    if (const Argument* argument = command.find("style");
        argument != nullptr && !parseInteger(argument->values[0], style)) {
        return code::kBadInteger;
    }
    const Argument* aliasArgument = command.find("alias");
    const std::string alias = aliasArgument != nullptr ? aliasArgument->values[0] : command.device;
    if (toLower(alias) == "all") {
        return code::kCannotUseAll;
    }
    if (session.contains(alias)) {
        return code::kDuplicateAlias;
    }
    std::unique_ptr<Device> device;
    std::string detail;
    const uint32_t result =
        Device::open(command.device, static_cast<std::uintptr_t>(parent), device, detail);
    if (result != 0) {
        session.setDetail(std::move(detail));
        return result;
    }
    reply = std::to_string(session.add(alias, std::move(device)));
    return code::kSuccess;
}

uint32_t handleClose(Session& session, const ParsedCommand& command, std::string&)
{
    if (toLower(command.device) == "all") {
        session.closeAll();
        return code::kSuccess;
    }
    if (!session.contains(command.device)) {
        return code::kInvalidDeviceName;
    }
    session.close(command.device);
    return code::kSuccess;
}

}  // namespace zelko::mci
