// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>

namespace zelko::player {

// Where playback stands, as the window last learned it, without asking the device: a frame at a
// moment, moving on at the playing speed while the file plays. The desktop reads it (a bus
// property cannot wait for the engine); the window sets it where it learns a place (a start, a
// seek, the end, the monitor's percent) and runs or stops it with playback.
class PositionClock {
public:
    using Clock = std::chrono::steady_clock;

    // A new file at its beginning, stopped, at normal speed, `perSecond` frames a second then.
    void Restart(double perSecond, Clock::time_point now = Clock::now());
    void Run(bool running, Clock::time_point now = Clock::now());
    void SetRate(double rate, Clock::time_point now = Clock::now());  // 1 is normal speed
    void Set(double frame, Clock::time_point now = Clock::now());
    // The monitor's whole percent: a clock more than a percent away from it is put there (the
    // percent is rounded, so the truth lies within half a percent of it).
    void Near(int32_t percent, double totalFrames, Clock::time_point now = Clock::now());
    // The frame now, within 0 and the length.
    int32_t FrameNow(double totalFrames, Clock::time_point now = Clock::now()) const;

private:
    double FrameAt(Clock::time_point now) const;

    double m_frame = 0;
    Clock::time_point m_at{};
    bool m_running = false;
    double m_rate = 1;
    double m_perSecond = 0;
};

}  // namespace zelko::player
