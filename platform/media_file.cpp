// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/media_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace zelko::platform {

namespace {

FileIdentity identityFrom(const struct stat& info)
{
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace

OpenedFile openMediaFile(const std::string& path)
{
    OpenedFile file;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return file;
    }
    if (!S_ISREG(info.st_mode)) {
        file.state = FileState::NotRegular;
        return file;
    }
    // O_NONBLOCK in case the name was replaced by a FIFO since the look; the check below
    // refuses it then.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        file.state = errno == ENOENT || errno == ENOTDIR ? FileState::Missing : FileState::Unreadable;
        file.error = errno;
        return file;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        file.state = FileState::NotRegular;
        return file;
    }
    file.state = FileState::Opened;
    file.fd = std::move(fd);
    return file;
}

std::optional<FileIdentity> identityOf(int fd)
{
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        return std::nullopt;
    }
    return identityFrom(info);
}

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return identityFrom(info);
}

}  // namespace zelko::platform
