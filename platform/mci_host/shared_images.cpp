// SPDX-License-Identifier: GPL-3.0-or-later
// Shared memory for GStreamer's X image sinks, inside the host's fence.
//
// ximagesink and xvimagesink hand each picture to the X server through MIT-SHM: they make a
// System V segment (shmget, shmat), name it to the server by its number (XShmAttach), and let
// the server read the picture from it. The host may not make System V segments, and in its own
// IPC namespace the server could not see them by number anyway; the sinks then fall back to
// sending every picture through the socket, which costs the host and the server a copy of each.
//
// These definitions, in the host's own program, take the place of the C library's and libXext's
// for the libraries it loads (the program's symbols come first). A private segment is a memfd,
// and XShmAttach hands the server its descriptor over the connection (MIT-SHM 1.2, as xcb's
// ShmAttachFd), which crosses namespaces: the server shares the picture again, and the host's
// reach is unchanged (no System V call is made; the memory is its own). A segment by key, or a
// server without version 1.2, is refused as before, and the sinks send pictures through the
// socket.
#include "platform/mci_host/shared_images.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelko::mci::images {

namespace {

struct Segment {
    int fd = -1;
    size_t size = 0;
    int attached = 0;
    bool removed = false;
};

struct Segments {
    std::mutex mutex;
    std::map<int, Segment> byId;
    std::map<const void*, int> idByAddress;
    int nextId = 1;
};

Segments& segments()
{
    static Segments* all = new Segments;  // used until the process ends, by any thread
    return *all;
}

// Closes a segment no one maps any more once it was removed. The caller holds the lock.
void dropIfDone(Segments& all, std::map<int, Segment>::iterator segment)
{
    if (segment->second.removed && segment->second.attached == 0) {
        ::close(segment->second.fd);
        all.byId.erase(segment);
    }
}

int fail(int error)
{
    errno = error;
    return -1;
}

// True when the server takes segments as descriptors: MIT-SHM 1.2 over a Unix socket.
bool takesDescriptors(xcb_connection_t* connection)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(xcb_get_file_descriptor(connection), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.ss_family != AF_UNIX) {
        return false;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (extension == nullptr || extension->present == 0) {
        return false;
    }
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    const bool fds = version != nullptr &&
                     (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2));
    std::free(version);
    return fds;
}

}  // namespace

int segmentCount()
{
    Segments& all = segments();
    const std::lock_guard lock(all.mutex);
    return static_cast<int>(all.byId.size());
}

}  // namespace zelko::mci::images

using zelko::mci::images::Segment;
using zelko::mci::images::segments;

extern "C" {

[[gnu::visibility("default")]] int shmget(key_t key, size_t size, int)
{
    if (key != IPC_PRIVATE) {
        return zelko::mci::images::fail(EPERM);
    }
    if (size == 0) {
        return zelko::mci::images::fail(EINVAL);
    }
    const int fd = ::memfd_create("zelko-x-image", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        const int error = errno;
        ::close(fd);
        return zelko::mci::images::fail(error);
    }
    auto& all = segments();
    const std::lock_guard lock(all.mutex);
    const int id = all.nextId++;
    all.byId[id] = Segment{fd, size, 0, false};
    return id;
}

[[gnu::visibility("default")]] void* shmat(int id, const void* address, int flags)
{
    auto& all = segments();
    const std::lock_guard lock(all.mutex);
    const auto segment = all.byId.find(id);
    if (segment == all.byId.end() || address != nullptr) {
        errno = EINVAL;
        return reinterpret_cast<void*>(-1);
    }
    const int protection = (flags & SHM_RDONLY) != 0 ? PROT_READ : PROT_READ | PROT_WRITE;
    void* mapped = ::mmap(nullptr, segment->second.size, protection, MAP_SHARED, segment->second.fd, 0);
    if (mapped == MAP_FAILED) {
        return reinterpret_cast<void*>(-1);
    }
    ++segment->second.attached;
    all.idByAddress[mapped] = id;
    return mapped;
}

[[gnu::visibility("default")]] int shmdt(const void* address)
{
    auto& all = segments();
    const std::lock_guard lock(all.mutex);
    const auto found = all.idByAddress.find(address);
    if (found == all.idByAddress.end()) {
        return zelko::mci::images::fail(EINVAL);
    }
    const auto segment = all.byId.find(found->second);
    ::munmap(const_cast<void*>(address), segment->second.size);
    all.idByAddress.erase(found);
    --segment->second.attached;
    zelko::mci::images::dropIfDone(all, segment);
    return 0;
}

[[gnu::visibility("default")]] int shmctl(int id, int command, shmid_ds* facts)
{
    auto& all = segments();
    const std::lock_guard lock(all.mutex);
    const auto segment = all.byId.find(id);
    if (segment == all.byId.end()) {
        return zelko::mci::images::fail(EINVAL);
    }
    if (command == IPC_RMID) {
        // As with System V: the memory stays until the last mapping goes.
        segment->second.removed = true;
        zelko::mci::images::dropIfDone(all, segment);
        return 0;
    }
    if (command == IPC_STAT && facts != nullptr) {
        *facts = shmid_ds{};
        facts->shm_segsz = segment->second.size;
        facts->shm_nattch = static_cast<shmatt_t>(segment->second.attached);
        return 0;
    }
    return zelko::mci::images::fail(EINVAL);
}

// Status 0 tells the sink that the server cannot share the segment; it then sends its pictures
// through the socket. An error the server answers with reaches the sink's X error handler, as
// for the request it replaces.
[[gnu::visibility("default")]] Status XShmAttach(Display* display, XShmSegmentInfo* info)
{
    int fd = -1;
    {
        auto& all = segments();
        const std::lock_guard lock(all.mutex);
        const auto segment = all.byId.find(info->shmid);
        if (segment == all.byId.end()) {
            return 0;
        }
        fd = ::fcntl(segment->second.fd, F_DUPFD_CLOEXEC, 0);
    }
    xcb_connection_t* connection = XGetXCBConnection(display);
    if (fd < 0 || !zelko::mci::images::takesDescriptors(connection)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return 0;
    }
    info->shmseg = xcb_generate_id(connection);
    // xcb closes the descriptor once it has been sent.
    xcb_shm_attach_fd(connection, static_cast<xcb_shm_seg_t>(info->shmseg), fd, info->readOnly ? 1 : 0);
    return 1;
}

}  // extern "C"
