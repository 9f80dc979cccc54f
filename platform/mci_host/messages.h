// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error_detail.h"
#include "platform/media_file.h"
#include "platform/mci_host/wire.h"
#include "platform/track_tags.h"

namespace zelko::mci::wire {

// The messages on the wire, one per kind of frame, and their bodies. A body is its fields in
// the order below: numbers little-endian (u8, u32, u64), texts and bytes as a u32 length and
// the bytes. A body that does not hold exactly its fields is nonsense, as is a frame of a kind
// that its receiver does not expect.

// Each side's first frame. A later version may add fields after these two, which an earlier
// one skips, so any two versions read each other's hello and refuse a different version.
constexpr std::string_view kMagic = "zelko-mci-wire";
constexpr uint32_t kVersion = 2;

struct Hello {
    static constexpr Kind kKind = Kind::Hello;
    std::string magic{kMagic};    // text
    uint32_t version = kVersion;  // u32
};

// A file the command opens, as the window found it: open, its descriptor riding with the
// frame (the descriptors in the order of the open files), or why it is not.
struct FileGrant {
    std::string path;                                          // text: as the command names it
    platform::FileState state = platform::FileState::Missing;  // u8
    int32_t error = 0;                                         // u32: the errno of an unreadable file
    platform::UniqueFd fd;                                     // an Opened file's descriptor
};

// At most this many files ride with one command (an open names one).
constexpr size_t kMaxFiles = kMaxDescriptors;

struct Command {
    static constexpr Kind kKind = Kind::Command;
    uint32_t replyLength = 0;      // u32: the reply buffer's length, 0 when the reply is not read
    std::string text;              // text
    std::vector<FileGrant> files;  // u32 count, then each file's path, state and error
};

struct CommandReply {
    static constexpr Kind kKind = Kind::CommandReply;
    uint32_t code = 0;              // u32
    std::string reply;              // text: the reply, on success
    platform::ErrorDetail failure;  // text, text: on a failure, its description and detail
};

struct Describe {
    static constexpr Kind kKind = Kind::Describe;
    uint32_t code = 0;  // u32
};

struct Description {
    static constexpr Kind kKind = Kind::Description;
    bool known = false;            // u8: false for a code that is not an error
    platform::ErrorDetail detail;  // text, text: the description, and a missing decoder
};

struct ReadTags {
    static constexpr Kind kKind = Kind::ReadTags;
    platform::FileIdentity file;  // u64 device, u64 inode, u64 size, u64 modified (ns)
};

struct Tags {
    static constexpr Kind kKind = Kind::Tags;
    bool known = false;        // u8: the file was opened by this host lately
    platform::TrackTags tags;  // text title, artist, album, genre; u32 track; text cover type; bytes cover
};

// The page the host publishes its state on (state_page.h): its descriptor rides with the
// frame, which answers nothing (request id 0); the body is empty.
struct SharePage {
    static constexpr Kind kKind = Kind::SharePage;
    platform::UniqueFd page;
};

// The frame for a message; a Command's and a SharePage's descriptors move into the frame.
Frame pack(uint32_t requestId, const Hello& message);
Frame pack(uint32_t requestId, Command message);
Frame pack(uint32_t requestId, const CommandReply& message);
Frame pack(uint32_t requestId, const Describe& message);
Frame pack(uint32_t requestId, const Description& message);
Frame pack(uint32_t requestId, const ReadTags& message);
Frame pack(uint32_t requestId, const Tags& message);
Frame pack(uint32_t requestId, SharePage message);

// Reads the message out of a frame of its kind; false when the frame is of another kind or
// its body or descriptors do not hold the message. A Command and a SharePage take the frame's
// descriptors.
bool unpack(Frame& frame, Hello& message);
bool unpack(Frame& frame, Command& message);
bool unpack(Frame& frame, CommandReply& message);
bool unpack(Frame& frame, Describe& message);
bool unpack(Frame& frame, Description& message);
bool unpack(Frame& frame, ReadTags& message);
bool unpack(Frame& frame, Tags& message);
bool unpack(Frame& frame, SharePage& message);

}  // namespace zelko::mci::wire
