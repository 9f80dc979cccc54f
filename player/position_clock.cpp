// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/position_clock.h"

#include <algorithm>
#include <cmath>

namespace zelko::player {

void PositionClock::Restart(double perSecond, Clock::time_point now)
{
    *this = PositionClock();
    m_perSecond = perSecond;
    m_at = now;
}

void PositionClock::Run(bool running, Clock::time_point now)
{
    Set(FrameAt(now), now);
    m_running = running;
}

void PositionClock::SetRate(double rate, Clock::time_point now)
{
    Set(FrameAt(now), now);
    m_rate = rate;
}

void PositionClock::Set(double frame, Clock::time_point now)
{
    m_frame = frame;
    m_at = now;
}

void PositionClock::Near(int32_t percent, double totalFrames, Clock::time_point now)
{
    const double learned = totalFrames * percent / 100.0;
    if (std::abs(FrameAt(now) - learned) > totalFrames / 100.0) {
        Set(learned, now);
    }
}

int32_t PositionClock::FrameNow(double totalFrames, Clock::time_point now) const
{
    return static_cast<int32_t>(std::llround(std::clamp(FrameAt(now), 0.0, std::max(totalFrames, 0.0))));
}

double PositionClock::FrameAt(Clock::time_point now) const
{
    if (!m_running) {
        return m_frame;
    }
    const std::chrono::duration<double> since = now - m_at;
    return m_frame + since.count() * m_rate * m_perSecond;
}

}  // namespace zelko::player
