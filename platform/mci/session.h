// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/device.h"
#include "platform/mci/errors.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media_file.h"
#include "platform/track_tags.h"

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
    // Every open device with its alias (lower case), in the order they were opened.
    void forEach(const std::function<void(const std::string& alias, Device& device)>& visit);

    void setDetail(ErrorDetail detail) { m_detail = std::move(detail); }
    ErrorDetail takeDetail() { return std::exchange(m_detail, {}); }

    // How a file an open names is reached: by default opened here by its path.
    using FileOpener = std::function<platform::OpenedFile(const std::string& path)>;
    void setFileOpener(FileOpener opener) { m_opener = std::move(opener); }
    platform::OpenedFile openFile(const std::string& path) const;

    // Keeps what the file's tags said when its open failed, so they are told without reading
    // the file again; the latest few files only.
    void keepFailedTags(const platform::FileIdentity& file, platform::TrackTags tags);
    // The tags of the file: from a device that has it open, else from its latest failed open.
    std::optional<platform::TrackTags> tags(const platform::FileIdentity& file);

private:
    struct Entry {
        std::string alias;  // lower case
        uint32_t id = 0;
        std::unique_ptr<Device> device;
    };
    std::vector<Entry> m_devices;
    uint32_t m_nextId = 1;
    ErrorDetail m_detail;
    FileOpener m_opener;
    std::deque<std::pair<platform::FileIdentity, platform::TrackTags>> m_failedTags;
};

}  // namespace zelko::mci
