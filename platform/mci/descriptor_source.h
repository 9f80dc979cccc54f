// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace zelko::mci {

// A media file's descriptor, readable by GStreamer under a URI of its own ("zelkofd://7") for as
// long as this object lives. The engine reads every file through one, so the engine host needs
// no right to any path: the window opens the file and hands the descriptor over.
//
// The URI is served by the engine's own source element, "zelkofdsrc": fdsrc works in push mode
// only and reads from the descriptor's shared offset, while the demuxers that pull (qtdemux,
// avidemux, matroskademux, wavparse, mpegpsdemux, ...) need random access. zelkofdsrc reads
// with pread at the offsets asked, knows the size and offers pull mode, as filesrc does for a
// path. Each element started on the URI reads through a copy of the descriptor of its own.
class DescriptorUri {
public:
    explicit DescriptorUri(platform::UniqueFd fd);
    ~DescriptorUri();  // elements started before keep reading; new ones find nothing
    DescriptorUri(const DescriptorUri&) = delete;
    DescriptorUri& operator=(const DescriptorUri&) = delete;

    const std::string& uri() const { return m_uri; }
    int fd() const { return m_fd.get(); }

private:
    platform::UniqueFd m_fd;
    uint64_t m_id;
    std::string m_uri;
};

// Registers zelkofdsrc with GStreamer, once per process (initGStreamer calls it).
void registerDescriptorSource();

}  // namespace zelko::mci
