// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zelko::platform {

// What a media file's own tags say of it (ID3, Vorbis comments, RIFF INFO, ...). Texts are UTF-8
// and empty where the file says nothing.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string genre;
    uint32_t trackNumber = 0;  // 0: not given
    // The embedded cover picture as stored (the front cover where the file names one), and its
    // media type ("image/jpeg"); empty when there is none or it is larger than kMaxCoverBytes.
    std::vector<unsigned char> cover;
    std::string coverType;
};

// A picture larger than this is not a cover a desktop would show.
constexpr size_t kMaxCoverBytes = 4 * 1024 * 1024;

// Reads a file's tags with GStreamer's discoverer, blocking for at most a few seconds; path is
// the file system's bytes. A file without tags, or one that cannot be read, gives empty tags.
TrackTags readTrackTags(const std::string& path);

// Reads tags on a thread of its own, one file at a time in the order asked, so that no caller
// waits for a file's header.
class TrackTagReader {
public:
    // Runs on the reader's thread, once for every request.
    using Done = std::function<void(uint64_t request, TrackTags tags)>;

    explicit TrackTagReader(Done done);
    ~TrackTagReader();  // waits for the file being read; the ones still waiting are dropped
    TrackTagReader(const TrackTagReader&) = delete;
    TrackTagReader& operator=(const TrackTagReader&) = delete;

    void read(uint64_t request, std::string path);

private:
    void run();

    Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<uint64_t, std::string>> m_waiting;
    bool m_stopping = false;
    std::thread m_thread;  // started with the first request
};

}  // namespace zelko::platform
