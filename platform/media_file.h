// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace zelko::platform {

// What became of opening the file a command names, as the engine answers for each.
enum class FileState : uint8_t {
    Opened = 0,      // a regular file, open for reading
    Missing = 1,     // no such file, or a folder on its way that cannot be searched
    NotRegular = 2,  // a folder, a device, a FIFO or a socket: never opened
    Unreadable = 3,  // a regular file that cannot be opened for reading (`error` says why)
};

struct OpenedFile {
    FileState state = FileState::Missing;
    int error = 0;  // the errno of an Unreadable file
    UniqueFd fd;    // Opened only: read-only, close-on-exec
};

// Opens the media file at `path` (the file system's bytes; a link is followed) for reading.
// Only a regular file is opened: opening a FIFO would block and opening a device may act.
OpenedFile openMediaFile(const std::string& path);

// Names one file's content as the file system holds it: the same through every path to it (a
// short link too), another once the file is replaced or rewritten.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;

    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(int fd);
std::optional<FileIdentity> identityOf(const std::string& path);

}  // namespace zelko::platform
