// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/state_page.h"

#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <utility>

namespace zelko::mci::wire {

namespace {

constexpr size_t kSequence = 0;
constexpr size_t kCount = 1;
constexpr size_t kWritten = 2;
constexpr size_t kHeaderWords = 3;
// A device: its alias (kAliasBytes, zero-padded), then these words.
constexpr size_t kAliasWords = kAliasBytes / 8;
constexpr size_t kFlags = kAliasWords;  // bits 0-7 the mode, bit 8 frames, bit 9 settled, bit 10 a picture
constexpr size_t kFramesPerSecond = kAliasWords + 1;
constexpr size_t kLength = kAliasWords + 2;
constexpr size_t kPosition = kAliasWords + 3;
constexpr size_t kClock = kAliasWords + 4;
constexpr size_t kRate = kAliasWords + 5;
constexpr size_t kEnd = kAliasWords + 6;
constexpr size_t kDeviceWords = kAliasWords + 7;
static_assert((kHeaderWords + kMaxDevices * kDeviceWords) * 8 <= kPageBytes);

constexpr uint64_t kFramesBit = 1U << 8;
constexpr uint64_t kSettledBit = 1U << 9;
constexpr uint64_t kPictureBit = 1U << 10;
// The fastest a device plays (the engine takes a thousand times normal).
constexpr double kMaxRate = 1000.0;

uint64_t load(const uint64_t* words, size_t index)
{
    return std::atomic_ref<const uint64_t>(words[index]).load(std::memory_order_relaxed);
}

void store(uint64_t* words, size_t index, uint64_t value)
{
    std::atomic_ref<uint64_t>(words[index]).store(value, std::memory_order_relaxed);
}

uint64_t* map(int fd)
{
    void* address = ::mmap(nullptr, kPageBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return address == MAP_FAILED ? nullptr : static_cast<uint64_t*>(address);
}

void writeDevice(uint64_t* slot, const PageDevice& device)
{
    char alias[kAliasBytes] = {};
    std::memcpy(alias, device.alias.data(), device.alias.size());
    for (size_t i = 0; i < kAliasWords; ++i) {
        uint64_t word = 0;
        std::memcpy(&word, alias + 8 * i, 8);
        store(slot, i, word);
    }
    store(slot, kFlags,
          static_cast<uint64_t>(device.mode) | (device.frames ? kFramesBit : 0) | (device.settled ? kSettledBit : 0) |
              (device.picture ? kPictureBit : 0));
    store(slot, kFramesPerSecond, std::bit_cast<uint64_t>(device.framesPerSecond));
    store(slot, kLength, static_cast<uint64_t>(device.lengthNs));
    store(slot, kPosition, static_cast<uint64_t>(device.positionNs));
    store(slot, kClock, static_cast<uint64_t>(device.clockNs));
    store(slot, kRate, std::bit_cast<uint64_t>(device.rate));
    store(slot, kEnd, static_cast<uint64_t>(device.endNs));
}

// False when the words are no device the host could have written: the window trusts the
// page no further than it trusts the host's replies.
bool readDevice(const uint64_t* slot, PageDevice& device)
{
    char alias[kAliasBytes];
    for (size_t i = 0; i < kAliasWords; ++i) {
        const uint64_t word = load(slot, i);
        std::memcpy(alias + 8 * i, &word, 8);
    }
    const size_t size = strnlen(alias, kAliasBytes);
    const uint64_t flags = load(slot, kFlags);
    const uint64_t mode = flags & 0xff;
    device.alias.assign(alias, size);
    device.mode = static_cast<PageMode>(mode);
    device.frames = (flags & kFramesBit) != 0;
    device.settled = (flags & kSettledBit) != 0;
    device.picture = (flags & kPictureBit) != 0;
    device.framesPerSecond = std::bit_cast<double>(load(slot, kFramesPerSecond));
    device.lengthNs = static_cast<int64_t>(load(slot, kLength));
    device.positionNs = static_cast<int64_t>(load(slot, kPosition));
    device.clockNs = static_cast<int64_t>(load(slot, kClock));
    device.rate = std::bit_cast<double>(load(slot, kRate));
    device.endNs = static_cast<int64_t>(load(slot, kEnd));
    return size > 0 && size < kAliasBytes && mode <= static_cast<uint64_t>(PageMode::Paused) &&
           (flags & ~(0xff | kFramesBit | kSettledBit | kPictureBit)) == 0 && std::isfinite(device.framesPerSecond) &&
           device.framesPerSecond >= 0.0 && (!device.frames || (device.picture && device.framesPerSecond > 0.0)) &&
           std::isfinite(device.rate) && device.rate >= 0.0 && device.rate <= kMaxRate && device.lengthNs >= 0 &&
           device.positionNs >= 0 && device.endNs >= 0;
}

}  // namespace

int64_t pageClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<StatePage> StatePage::create()
{
    platform::UniqueFd fd(::memfd_create("zelko-mci-state", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd || ::ftruncate(fd.get(), kPageBytes) != 0 ||
        ::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        return std::nullopt;
    }
    uint64_t* words = map(fd.get());
    if (words == nullptr) {
        return std::nullopt;
    }
    return StatePage(std::move(fd), words);
}

std::optional<StatePage> StatePage::adopt(platform::UniqueFd fd)
{
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size != static_cast<off_t>(kPageBytes)) {
        return std::nullopt;
    }
    uint64_t* words = map(fd.get());
    if (words == nullptr) {
        return std::nullopt;
    }
    return StatePage(std::move(fd), words);
}

StatePage::~StatePage()
{
    if (m_words != nullptr) {
        ::munmap(m_words, kPageBytes);
    }
}

StatePage::StatePage(StatePage&& other) noexcept
    : m_fd(std::move(other.m_fd)), m_words(std::exchange(other.m_words, nullptr))
{
}

StatePage& StatePage::operator=(StatePage&& other) noexcept
{
    if (this != &other) {
        if (m_words != nullptr) {
            ::munmap(m_words, kPageBytes);
        }
        m_fd = std::move(other.m_fd);
        m_words = std::exchange(other.m_words, nullptr);
    }
    return *this;
}

platform::UniqueFd StatePage::share() const
{
    return platform::UniqueFd(::fcntl(m_fd.get(), F_DUPFD_CLOEXEC, 0));
}

void StatePage::write(const PageState& state)
{
    std::atomic_ref<uint64_t> sequence(m_words[kSequence]);
    const uint64_t before = sequence.load(std::memory_order_relaxed);
    sequence.store(before + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    size_t count = 0;
    for (const PageDevice& device : state.devices) {
        if (count < kMaxDevices && !device.alias.empty() && device.alias.size() < kAliasBytes) {
            writeDevice(m_words + kHeaderWords + count * kDeviceWords, device);
            ++count;
        }
    }
    store(m_words, kCount, count);
    store(m_words, kWritten, static_cast<uint64_t>(state.writtenNs));
    sequence.store(before + 2, std::memory_order_release);
}

bool StatePage::read(PageState& state) const
{
    std::atomic_ref<const uint64_t> sequence(m_words[kSequence]);
    const uint64_t before = sequence.load(std::memory_order_acquire);
    if ((before & 1) != 0) {
        return false;
    }
    const uint64_t count = load(m_words, kCount);
    if (count > kMaxDevices) {
        return false;
    }
    state.writtenNs = static_cast<int64_t>(load(m_words, kWritten));
    state.devices.resize(count);
    bool sound = true;
    for (size_t i = 0; i < count; ++i) {
        sound = readDevice(m_words + kHeaderWords + i * kDeviceWords, state.devices[i]) && sound;
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    return sound && sequence.load(std::memory_order_relaxed) == before;
}

}  // namespace zelko::mci::wire
