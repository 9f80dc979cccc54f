// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace zelko::mci::wire {

// The host's state as it publishes it on a page of memory it shares with the window, so the
// window reads what the timers ask for (mode, position, length, time format) without waking
// the host. The window makes the page (a sealed memfd of kPageBytes, which the host can neither
// shrink nor grow) and hands it over once, right after its hello; the host writes it after
// every command and whenever a device's pipeline changes on its own; the window only reads.
//
// The page is 64-bit words, little-endian as the machine's, read and written as atomics:
//   word 0  sequence: odd while the host writes, so a reader that sees it odd or changed across
//           its reading has a torn copy and takes none
//   word 1  how many devices follow, at most kMaxDevices
//   word 2  when the host last wrote it (steady clock, ns): a host that stopped writing while a
//           device plays has stopped being believed
//   then kDeviceWords words per device, as PageDevice lists them.
constexpr size_t kPageBytes = 4096;
constexpr size_t kMaxDevices = 16;
constexpr size_t kAliasBytes = 64;  // an alias this long or longer is not published

enum class PageMode : uint8_t { Stopped, Playing, Paused };

// One open device as the host published it.
struct PageDevice {
    std::string alias;  // lower case, as the engine compares it
    PageMode mode = PageMode::Stopped;
    bool frames = false;           // the time format: frames, else milliseconds
    bool picture = false;          // it has a picture: frames are a time format it takes
    double framesPerSecond = 0.0;  // what frames are counted at
    int64_t lengthNs = 0;
    // Where the device stood at `clockNs` (steady clock), and how fast it moves on from there:
    // 0 while it stands still, else the rate it plays at. `settled` is false while the host has
    // not yet seen the position follow that rate (a play whose output has not started).
    int64_t positionNs = 0;
    int64_t clockNs = 0;
    double rate = 0.0;
    bool settled = false;
    // Where a playing device stops moving: the end of the range it plays, or the length.
    int64_t endNs = 0;
};

struct PageState {
    int64_t writtenNs = 0;
    std::vector<PageDevice> devices;
};

// The steady clock as the page counts it, in nanoseconds.
int64_t pageClockNs();

// A mapping of the page, the window's or the host's.
class StatePage {
public:
    // The window's: a new sealed page, all zero; nothing when the system refuses one.
    static std::optional<StatePage> create();
    // The host's: the page the window handed over; nothing when it is not one.
    static std::optional<StatePage> adopt(platform::UniqueFd fd);
    ~StatePage();
    StatePage(StatePage&& other) noexcept;
    StatePage& operator=(StatePage&& other) noexcept;
    StatePage(const StatePage&) = delete;
    StatePage& operator=(const StatePage&) = delete;

    // A descriptor of the page to hand to the host.
    platform::UniqueFd share() const;
    // The host's side. Devices past kMaxDevices, and those with too long an alias, are left out
    // (the window asks the host about them).
    void write(const PageState& state);
    // The window's side: false when the copy is torn or the page holds nonsense.
    bool read(PageState& state) const;

private:
    StatePage(platform::UniqueFd fd, uint64_t* words) : m_fd(std::move(fd)), m_words(words) {}

    platform::UniqueFd m_fd;
    uint64_t* m_words = nullptr;
};

}  // namespace zelko::mci::wire
