// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/media_lane.h"

#include <algorithm>

namespace zelko::player {

MediaLane::~MediaLane()
{
    close();
}

void MediaLane::run(Kind kind, Procedure procedure)
{
    if (m_closed || (kind == Kind::Tick && busy())) {
        return;
    }
    if (kind == Kind::Play || kind == Kind::Seek || kind == Kind::Placement) {
        std::erase_if(m_waiting, [kind](const Waiting& waiting) { return waiting.kind == kind; });
    }
    if (kind == Kind::Play && m_abandonable > 0) {
        abandonRunning();
    }
    m_waiting.push_back({kind, std::move(procedure)});
    pump();
}

void MediaLane::close()
{
    m_closed = true;
    m_waiting.clear();
    abandonRunning();
}

void MediaLane::abandonRunning()
{
    // Destroying the frame destroys the tasks it waits on, down to the command, which tells
    // the channel; the Abandonable it held goes with it.
    m_running.reset();
}

// Starts the waiting procedures in turn for as long as each ends before it has to wait.
void MediaLane::pump()
{
    if (m_pumping) {
        return;  // a procedure that ran a procedure: the loop below goes on with it
    }
    m_pumping = true;
    while (!m_running.valid() && !m_waiting.empty()) {
        m_running = std::move(m_waiting.front().procedure);
        m_waiting.pop_front();
        m_running.start(&MediaLane::ended, this);
        if (m_running.done()) {
            m_running.reset();
        }
    }
    m_pumping = false;
}

// Called from the running procedure's end. Inside pump() the loop there takes it on; an end
// that came later, from an answer out of the event loop, starts the next procedure here.
void MediaLane::ended(void* context)
{
    auto& lane = *static_cast<MediaLane*>(context);
    if (lane.m_pumping) {
        return;
    }
    lane.m_running.reset();  // it stands at its end: its frame may go now
    lane.pump();
}

}  // namespace zelko::player
