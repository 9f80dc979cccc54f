// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/strip/timed_copies.h"

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace zelko::platform {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> owned(T* reply)
{
    return Reply<T>(reply, std::free);
}

bool syncReady(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(connection, &xcb_sync_id);
    if (sync == nullptr || !sync->present) {
        return false;
    }
    // Await on a system counter is in every version from 3.0 on.
    const auto version = owned(xcb_sync_initialize_reply(
        connection, xcb_sync_initialize(connection, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr));
    return version && version->major_version >= 3;
}

// The list is read by hand: each entry is 14 bytes and its name, padded to four, which the
// generated accessors of some libxcb versions get wrong by two bytes.
uint32_t serverTimeCounter(xcb_connection_t* connection)
{
    const auto list =
        owned(xcb_sync_list_system_counters_reply(connection, xcb_sync_list_system_counters(connection), nullptr));
    if (!list) {
        return 0;
    }
    const auto* begin = reinterpret_cast<const uint8_t*>(list.get());
    const uint8_t* end = begin + sizeof(xcb_sync_list_system_counters_reply_t) + size_t{list->length} * 4;
    const uint8_t* entry = begin + sizeof(xcb_sync_list_system_counters_reply_t);
    constexpr size_t kHead = 14;
    constexpr char kName[] = "SERVERTIME";
    for (uint32_t i = 0; i < list->counters_len && entry + kHead <= end; ++i) {
        uint32_t counter = 0;
        uint16_t nameLength = 0;
        std::memcpy(&counter, entry, sizeof counter);
        std::memcpy(&nameLength, entry + 12, sizeof nameLength);
        if (entry + kHead + nameLength > end) {
            break;
        }
        if (nameLength == sizeof kName - 1 && std::memcmp(entry + kHead, kName, nameLength) == 0) {
            return counter;
        }
        entry += (kHead + nameLength + 3) & ~size_t{3};
    }
    return 0;
}

xcb_sync_int64_t syncValue(int64_t value)
{
    return {static_cast<int32_t>(value >> 32), static_cast<uint32_t>(value & 0xffffffffu)};
}

// A wait until `counter` reads `value` or more. The server sends a CounterNotify event for every
// wait that ends with the counter at least the threshold past its value; with the largest
// threshold it sends none, so ending a wait costs it no write and the connection no reading.
xcb_sync_waitcondition_t atLeast(uint32_t counter, int64_t value)
{
    xcb_sync_waitcondition_t condition{};
    condition.trigger.counter = counter;
    condition.trigger.wait_type = XCB_SYNC_VALUETYPE_ABSOLUTE;
    condition.trigger.wait_value = syncValue(value);
    condition.trigger.test_type = XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON;
    condition.event_threshold = syncValue(std::numeric_limits<int64_t>::max());
    return condition;
}

// A run flushes its copies in batches, so a long one does not sit whole in xcb's buffer.
constexpr int kCopiesPerFlush = 64;

}  // namespace

std::unique_ptr<TimedCopies> TimedCopies::open(xcb_connection_t* qt, const char* display)
{
    if (qt == nullptr || !syncReady(qt)) {
        return nullptr;
    }
    const uint32_t serverTime = serverTimeCounter(qt);
    if (serverTime == 0) {
        return nullptr;
    }
    xcb_connection_t* own = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(own) || !syncReady(own)) {
        xcb_disconnect(own);
        return nullptr;
    }
    const uint32_t gate = xcb_generate_id(qt);
    const auto created = owned(xcb_request_check(qt, xcb_sync_create_counter_checked(qt, gate, syncValue(0))));
    if (created) {
        xcb_disconnect(own);
        return nullptr;
    }
    return std::unique_ptr<TimedCopies>(new TimedCopies(qt, own, serverTime, gate));
}

TimedCopies::TimedCopies(xcb_connection_t* qt, xcb_connection_t* own, uint32_t serverTime, uint32_t gate)
    : m_qt(qt), m_own(own), m_serverTime(serverTime), m_gate(gate)
{
}

TimedCopies::~TimedCopies()
{
    // Closing the connection ends its waits and drops the copies it still holds.
    xcb_disconnect(m_own);
    xcb_sync_destroy_counter(m_qt, m_gate);
    xcb_flush(m_qt);
}

int64_t TimedCopies::serverTimeMs()
{
    const auto value = owned(xcb_sync_query_counter_reply(m_qt, xcb_sync_query_counter(m_qt, m_serverTime), nullptr));
    if (!value) {
        return -1;
    }
    return (int64_t{value->counter_value.hi} << 32) | value->counter_value.lo;
}

void TimedCopies::copyAt(int64_t atMs, uint32_t source, uint32_t target, uint32_t gc, int srcX, int srcY, int dstX,
                         int dstY, int width, int height)
{
    const xcb_sync_waitcondition_t until[] = {atLeast(m_serverTime, atMs), atLeast(m_gate, m_gateLevel)};
    xcb_sync_await(m_own, 2, until);
    xcb_copy_area(m_own, source, target, gc, static_cast<int16_t>(srcX), static_cast<int16_t>(srcY),
                  static_cast<int16_t>(dstX), static_cast<int16_t>(dstY), static_cast<uint16_t>(width),
                  static_cast<uint16_t>(height));
    if (++m_unflushed >= kCopiesPerFlush) {
        flush();
    }
}

void TimedCopies::flush()
{
    xcb_flush(m_own);
    m_unflushed = 0;
    discardReplies();
}

void TimedCopies::drop()
{
    xcb_sync_set_counter(m_qt, m_gate, syncValue(m_gateLevel));
    xcb_flush(m_qt);
    ++m_gateLevel;
    discardReplies();
}

// Nothing on this connection asks for an answer; what comes back is an error for a copy to a
// strip that went away with its window, which changes nothing.
void TimedCopies::discardReplies()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_own)) {
        std::free(event);
    }
}

}  // namespace zelko::platform
