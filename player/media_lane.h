// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>

#include "media/task.h"

namespace zelko::player {

// The one lane the window's media procedures run in, one at a time: the commands of two
// procedures never interleave, so the engine is sent the same commands in the same order as
// when every call returned only with its answer. While a procedure waits on the engine the
// window goes on painting and taking input, and input that would run a procedure follows the
// rule of its kind. Runs on the window's thread.
class MediaLane {
public:
    using Procedure = media::Task<void>;

    enum class Kind {
        // A clock's own (the end of media, the monitor): dropped when the lane is busy, so the
        // clocks' commands never pile up behind a waiting one; the next tick asks again.
        Tick,
        // A play request (Play, a double-click, Enter on an entry, F1, the bus's): it replaces
        // a play request that waits (both play the entry selected when they run), and a
        // procedure waiting for its open is abandoned, so the new request starts at once.
        Play,
        // Pause, Stop, Slow Motion, fullscreen in and out, the volume: waits its turn.
        Transport,
        // A seek: waits its turn, and replaces a seek that waits (a late, stale seek would
        // throw the picture back to where the user no longer is).
        Seek,
        // The video fitted to the picture's new size: replaces one that waits.
        Placement,
    };

    MediaLane() = default;
    ~MediaLane();
    MediaLane(const MediaLane&) = delete;
    MediaLane& operator=(const MediaLane&) = delete;

    // Starts `procedure` now when the lane is idle; otherwise as its kind says. Whatever comes
    // after close() is dropped.
    void run(Kind kind, Procedure procedure);
    // The window closes: the running procedure is abandoned where it waits (its command with
    // it) and the waiting ones dropped; the lane takes nothing more.
    void close();
    bool busy() const { return m_running.valid() || !m_waiting.empty(); }
    bool closed() const { return m_closed; }

    // Held by the running procedure across a command that a new play request need not wait
    // for, its open: until it is released, a play request abandons the procedure.
    class Abandonable {
    public:
        explicit Abandonable(MediaLane& lane) : m_lane(lane) { ++m_lane.m_abandonable; }
        ~Abandonable() { --m_lane.m_abandonable; }
        Abandonable(const Abandonable&) = delete;
        Abandonable& operator=(const Abandonable&) = delete;

    private:
        MediaLane& m_lane;
    };

private:
    struct Waiting {
        Kind kind;
        Procedure procedure;
    };

    void pump();
    void abandonRunning();
    static void ended(void* lane);

    Procedure m_running;
    std::deque<Waiting> m_waiting;
    int m_abandonable = 0;
    bool m_pumping = false;
    bool m_closed = false;
};

}  // namespace zelko::player
