// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/messages.h"

namespace zelko::mci::wire {

namespace {

class BodyWriter {
public:
    // `expected`: about the body's size, so it is allocated once.
    explicit BodyWriter(size_t expected = 32) { m_body.reserve(expected); }
    void u8(uint8_t value) { m_body += static_cast<char>(value); }
    void u32(uint32_t value) { number(value, 4); }
    void u64(uint64_t value) { number(value, 8); }
    void text(std::string_view value)
    {
        u32(static_cast<uint32_t>(value.size()));
        m_body.append(value);
    }
    void detail(const platform::ErrorDetail& detail)
    {
        text(detail.text);
        text(detail.missingDecoder);
    }
    Frame frame(Kind kind, uint32_t requestId) { return Frame{kind, requestId, std::move(m_body), {}}; }

private:
    void number(uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i) {
            m_body += static_cast<char>((value >> (8 * i)) & 0xff);
        }
    }

    std::string m_body;
};

// Reads fields off the front of a body; after the first that is not there, every read fails.
class BodyReader {
public:
    explicit BodyReader(std::string_view body) : m_rest(body) {}

    bool u8(uint8_t& value)
    {
        uint64_t wide = 0;
        return number(wide, 1) && (value = static_cast<uint8_t>(wide), true);
    }
    bool u32(uint32_t& value)
    {
        uint64_t wide = 0;
        return number(wide, 4) && (value = static_cast<uint32_t>(wide), true);
    }
    bool u64(uint64_t& value) { return number(value, 8); }
    bool i64(int64_t& value)
    {
        uint64_t wide = 0;
        return number(wide, 8) && (value = static_cast<int64_t>(wide), true);
    }
    bool flag(bool& value)
    {
        uint8_t byte = 0;
        if (!u8(byte) || byte > 1) {
            return m_ok = false;
        }
        value = byte == 1;
        return true;
    }
    bool text(std::string& value, size_t limit = kMaxBody)
    {
        uint32_t size = 0;
        if (!u32(size) || size > m_rest.size() || size > limit) {
            return m_ok = false;
        }
        value.assign(m_rest.substr(0, size));
        m_rest.remove_prefix(size);
        return true;
    }
    bool detail(platform::ErrorDetail& detail) { return text(detail.text) && text(detail.missingDecoder); }
    // Every field was there and nothing follows them.
    bool whole() const { return m_ok && m_rest.empty(); }
    bool ok() const { return m_ok; }

private:
    bool number(uint64_t& value, int bytes)
    {
        if (!m_ok || m_rest.size() < static_cast<size_t>(bytes)) {
            return m_ok = false;
        }
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= static_cast<uint64_t>(static_cast<unsigned char>(m_rest[i])) << (8 * i);
        }
        m_rest.remove_prefix(static_cast<size_t>(bytes));
        return true;
    }

    std::string_view m_rest;
    bool m_ok = true;
};

// A frame of `kind` whose descriptors the message takes (none but a Command's and a SharePage's).
bool expect(const Frame& frame, Kind kind)
{
    return frame.kind == kind && (kind == Kind::Command || kind == Kind::SharePage || frame.descriptors.empty());
}

bool knownState(uint8_t state)
{
    return state <= static_cast<uint8_t>(platform::FileState::Unreadable);
}

}  // namespace

Frame pack(uint32_t requestId, const Hello& message)
{
    BodyWriter body;
    body.text(message.magic);
    body.u32(message.version);
    return body.frame(Hello::kKind, requestId);
}

Frame pack(uint32_t requestId, Command message)
{
    BodyWriter body(16 + message.text.size() + message.files.size() * 256);
    body.u32(message.replyLength);
    body.text(message.text);
    body.u32(static_cast<uint32_t>(message.files.size()));
    std::vector<platform::UniqueFd> descriptors;
    for (FileGrant& file : message.files) {
        body.text(file.path);
        body.u8(static_cast<uint8_t>(file.state));
        body.u32(static_cast<uint32_t>(file.error));
        if (file.state == platform::FileState::Opened) {
            descriptors.push_back(std::move(file.fd));
        }
    }
    Frame frame = body.frame(Command::kKind, requestId);
    frame.descriptors = std::move(descriptors);
    return frame;
}

Frame pack(uint32_t requestId, const CommandReply& message)
{
    BodyWriter body(16 + message.reply.size() + message.failure.text.size() + message.failure.missingDecoder.size());
    body.u32(message.code);
    body.text(message.reply);
    body.detail(message.failure);
    return body.frame(CommandReply::kKind, requestId);
}

Frame pack(uint32_t requestId, const Describe& message)
{
    BodyWriter body;
    body.u32(message.code);
    return body.frame(Describe::kKind, requestId);
}

Frame pack(uint32_t requestId, const Description& message)
{
    BodyWriter body;
    body.u8(message.known ? 1 : 0);
    body.detail(message.detail);
    return body.frame(Description::kKind, requestId);
}

Frame pack(uint32_t requestId, const ReadTags& message)
{
    BodyWriter body;
    body.u64(message.file.device);
    body.u64(message.file.inode);
    body.u64(static_cast<uint64_t>(message.file.size));
    body.u64(static_cast<uint64_t>(message.file.modifiedNs));
    return body.frame(ReadTags::kKind, requestId);
}

Frame pack(uint32_t requestId, const Tags& message)
{
    const platform::TrackTags& tags = message.tags;
    BodyWriter body(64 + tags.title.size() + tags.artist.size() + tags.album.size() + tags.genre.size() +
                    tags.cover.size());
    body.u8(message.known ? 1 : 0);
    body.text(tags.title);
    body.text(tags.artist);
    body.text(tags.album);
    body.text(tags.genre);
    body.u32(tags.trackNumber);
    body.text(tags.coverType);
    body.text(std::string_view(reinterpret_cast<const char*>(tags.cover.data()), tags.cover.size()));
    return body.frame(Tags::kKind, requestId);
}

Frame pack(uint32_t requestId, SharePage message)
{
    Frame frame = BodyWriter(0).frame(SharePage::kKind, requestId);
    frame.descriptors.push_back(std::move(message.page));
    return frame;
}

bool unpack(Frame& frame, Hello& message)
{
    // Only the fields every version has; what a later version adds after them is skipped.
    BodyReader body(frame.body);
    return expect(frame, Hello::kKind) && body.text(message.magic, 64) && body.u32(message.version);
}

bool unpack(Frame& frame, Command& message)
{
    BodyReader body(frame.body);
    uint32_t count = 0;
    if (!expect(frame, Command::kKind) || !body.u32(message.replyLength) || !body.text(message.text) ||
        !body.u32(count) || count > kMaxFiles) {
        return false;
    }
    message.files.clear();
    size_t opened = 0;
    for (uint32_t i = 0; i < count; ++i) {
        FileGrant file;
        uint8_t state = 0;
        uint32_t error = 0;
        if (!body.text(file.path) || !body.u8(state) || !knownState(state) || !body.u32(error)) {
            return false;
        }
        file.state = static_cast<platform::FileState>(state);
        file.error = static_cast<int32_t>(error);
        if (file.state == platform::FileState::Opened) {
            if (opened == frame.descriptors.size()) {
                return false;
            }
            file.fd = std::move(frame.descriptors[opened++]);
        }
        message.files.push_back(std::move(file));
    }
    return body.whole() && opened == frame.descriptors.size();
}

bool unpack(Frame& frame, CommandReply& message)
{
    BodyReader body(frame.body);
    return expect(frame, CommandReply::kKind) && body.u32(message.code) && body.text(message.reply) &&
           body.detail(message.failure) && body.whole();
}

bool unpack(Frame& frame, Describe& message)
{
    BodyReader body(frame.body);
    return expect(frame, Describe::kKind) && body.u32(message.code) && body.whole();
}

bool unpack(Frame& frame, Description& message)
{
    BodyReader body(frame.body);
    return expect(frame, Description::kKind) && body.flag(message.known) && body.detail(message.detail) && body.whole();
}

bool unpack(Frame& frame, ReadTags& message)
{
    BodyReader body(frame.body);
    return expect(frame, ReadTags::kKind) && body.u64(message.file.device) && body.u64(message.file.inode) &&
           body.i64(message.file.size) && body.i64(message.file.modifiedNs) && body.whole();
}

bool unpack(Frame& frame, Tags& message)
{
    BodyReader body(frame.body);
    platform::TrackTags& tags = message.tags;
    std::string cover;
    if (!expect(frame, Tags::kKind) || !body.flag(message.known) || !body.text(tags.title) || !body.text(tags.artist) ||
        !body.text(tags.album) || !body.text(tags.genre) || !body.u32(tags.trackNumber) || !body.text(tags.coverType) ||
        !body.text(cover, platform::kMaxCoverBytes) || !body.whole()) {
        return false;
    }
    tags.cover.assign(cover.begin(), cover.end());
    return true;
}

bool unpack(Frame& frame, SharePage& message)
{
    if (!expect(frame, SharePage::kKind) || !frame.body.empty() || frame.descriptors.size() != 1) {
        return false;
    }
    message.page = std::move(frame.descriptors.front());
    return true;
}

}  // namespace zelko::mci::wire
