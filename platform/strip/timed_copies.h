// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace zelko::platform {

// Copies the X server makes on its own clock. They travel on a connection of their own to the
// display, where each waits (the SYNC extension's Await on the server's SERVERTIME counter)
// until its time, so a client hands over a whole run at once and is not woken for each copy.
// Waiting stops only that connection, never Qt's. A run is dropped from Qt's connection, by a
// counter every wait of the run also watches: the waits end at once, and the copies left go to
// a strip that no longer shows. Used on the UI thread only.
class TimedCopies {
public:
    // Nothing when the display has no SYNC extension with a SERVERTIME counter, or refuses a
    // second connection. `qt` is Qt's connection; `display` names the display it is on.
    static std::unique_ptr<TimedCopies> open(xcb_connection_t* qt, const char* display);
    ~TimedCopies();
    TimedCopies(const TimedCopies&) = delete;
    TimedCopies& operator=(const TimedCopies&) = delete;

    // The server's clock in milliseconds, asked on Qt's connection; -1 when it does not answer.
    // The answer also means every request Qt's connection sent before has been carried out.
    int64_t serverTimeMs();

    // Copies `width` x `height` from (srcX, srcY) of `source` to (dstX, dstY) of `target` once the
    // server's clock reads `atMs`, or at once after drop(). Sent with the next flush().
    void copyAt(int64_t atMs, uint32_t source, uint32_t target, uint32_t gc, int srcX, int srcY, int dstX, int dstY,
                int width, int height);
    void flush();

    // Ends the waits of every copy handed over so far.
    void drop();

private:
    TimedCopies(xcb_connection_t* qt, xcb_connection_t* own, uint32_t serverTime, uint32_t gate);
    void discardReplies();

    xcb_connection_t* m_qt;
    xcb_connection_t* m_own;
    uint32_t m_serverTime;  // the SERVERTIME system counter
    uint32_t m_gate;        // a counter of ours, raised by drop()
    int64_t m_gateLevel = 1;
    int m_unflushed = 0;
};

}  // namespace zelko::platform
