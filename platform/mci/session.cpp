// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/session.h"

#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"

#include <algorithm>

namespace zelko::mci {

Device* Session::find(std::string_view alias)
{
    const std::string lower = platform::asciiLower(alias);
    for (Entry& entry : m_devices) {
        if (entry.alias == lower) {
            return entry.device.get();
        }
    }
    return nullptr;
}

uint32_t Session::lookup(std::string_view alias, Device*& device)
{
    if (platform::asciiLower(alias) == "all") {
        return code::kCannotUseAll;
    }
    device = find(alias);
    return device != nullptr ? code::kSuccess : code::kInvalidDeviceName;
}

uint32_t Session::add(std::string_view alias, std::unique_ptr<Device> device)
{
    const uint32_t id = m_nextId++;
    m_devices.push_back({platform::asciiLower(alias), id, std::move(device)});
    return id;
}

void Session::close(std::string_view alias)
{
    const std::string lower = platform::asciiLower(alias);
    std::erase_if(m_devices, [&](const Entry& entry) { return entry.alias == lower; });
}

void Session::closeAll()
{
    m_devices.clear();
}

void Session::drainAll()
{
    for (Entry& entry : m_devices) {
        entry.device->drainBus();
    }
}

}  // namespace zelko::mci
