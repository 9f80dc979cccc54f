// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/device.h"
#include "platform/mci/errors.h"

#include <memory>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::mci {

// The open devices of one engine, by alias (letter case ignored), and the reason behind the
// last failure when there is one to tell.
class Session {
public:
    Device* find(std::string_view alias);
    bool contains(std::string_view alias) { return find(alias) != nullptr; }
    // The device a command names: 279 for "all", 263 when none is open under the alias.
    uint32_t lookup(std::string_view alias, Device*& device);
    // Keeps the device under `alias` and returns its device id.
    uint32_t add(std::string_view alias, std::unique_ptr<Device> device);
    void close(std::string_view alias);
    void closeAll();
    // Lets every device read what its pipeline posted since the last command.
    void drainAll();

    void setDetail(ErrorDetail detail) { m_detail = std::move(detail); }
    ErrorDetail takeDetail() { return std::exchange(m_detail, {}); }

private:
    struct Entry {
        std::string alias;  // lower case
        uint32_t id = 0;
        std::unique_ptr<Device> device;
    };
    std::vector<Entry> m_devices;
    uint32_t m_nextId = 1;
    ErrorDetail m_detail;
};

}  // namespace zelko::mci
