// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/session.h"

#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"

#include <algorithm>

namespace zelko::mci {

namespace {

// The failures whose tags are kept: the desktop asks right after the open that failed.
constexpr size_t kFailedTagsKept = 4;

}  // namespace

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

void Session::forEach(const std::function<void(const std::string& alias, Device& device)>& visit)
{
    for (Entry& entry : m_devices) {
        visit(entry.alias, *entry.device);
    }
}

platform::OpenedFile Session::openFile(const std::string& path) const
{
    return m_opener ? m_opener(path) : platform::openMediaFile(path);
}

void Session::keepFailedTags(const platform::FileIdentity& file, platform::TrackTags tags)
{
    std::erase_if(m_failedTags, [&](const auto& kept) { return kept.first == file; });
    m_failedTags.emplace_front(file, std::move(tags));
    if (m_failedTags.size() > kFailedTagsKept) {
        m_failedTags.pop_back();
    }
}

std::optional<platform::TrackTags> Session::tags(const platform::FileIdentity& file)
{
    for (Entry& entry : m_devices) {
        if (entry.device->file() == file) {
            return entry.device->tags();
        }
    }
    for (const auto& [kept, tags] : m_failedTags) {
        if (kept == file) {
            return tags;
        }
    }
    return std::nullopt;
}

}  // namespace zelko::mci
