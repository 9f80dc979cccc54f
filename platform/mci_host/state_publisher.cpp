// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/state_publisher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zelko::mci {

namespace {

using Clock = std::chrono::steady_clock;
using Status = Engine::DeviceStatus;

int64_t clockNs(Clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

wire::PageMode pageMode(Status::Mode mode)
{
    switch (mode) {
    case Status::Mode::Playing: return wire::PageMode::Playing;
    case Status::Mode::Paused: return wire::PageMode::Paused;
    case Status::Mode::Stopped: break;
    }
    return wire::PageMode::Stopped;
}

}  // namespace

bool StatePublisher::attach(platform::UniqueFd fd)
{
    m_page = wire::StatePage::adopt(std::move(fd));
    if (!m_page) {
        return false;
    }
    publish();
    return true;
}

void StatePublisher::drainAndPublish()
{
    m_engine.drain();
    publish();
}

bool StatePublisher::follow(Anchor& anchor, const Status& status, int64_t sampleNs, bool known)
{
    const Anchor sample{status.positionNs, sampleNs, status.rate, status.rate == 0.0};
    if (status.rate == 0.0 || !known || anchor.rate != status.rate) {
        // Standing still is exact at once; a new rate starts over.
        anchor = sample;
        return anchor.settled;
    }
    const int64_t elapsedNs = sampleNs - anchor.clockNs;
    if (!anchor.settled && elapsedNs < std::chrono::nanoseconds(kSettleSpan).count()) {
        return false;  // too close to the last sample to tell a rate from
    }
    const auto expectedNs = anchor.positionNs + std::llround(anchor.rate * static_cast<double>(elapsedNs));
    const bool followed = std::llabs(status.positionNs - expectedNs) <= kToleranceNs;
    anchor = sample;
    anchor.settled = followed;
    return followed;
}

void StatePublisher::publish()
{
    if (!m_page) {
        return;
    }
    const std::vector<Status> statuses = m_engine.statuses();
    wire::PageState state;
    std::map<std::string, Anchor> anchors;
    bool unsettled = false;
    bool playing = false;
    for (const Status& status : statuses) {
        const int64_t sampleNs = clockNs(status.readAt);
        const auto known = m_anchors.find(status.alias);
        Anchor& anchor = anchors[status.alias];
        if (known != m_anchors.end()) {
            anchor = known->second;
        }
        const bool settled = follow(anchor, status, sampleNs, known != m_anchors.end());
        playing = playing || status.rate != 0.0;
        unsettled = unsettled || !settled;
        wire::PageDevice device;
        device.alias = status.alias;
        device.mode = pageMode(status.mode);
        device.frames = status.frames;
        device.picture = status.picture;
        device.framesPerSecond = status.framesPerSecond;
        device.lengthNs = status.lengthNs;
        device.positionNs = settled ? anchor.positionNs : status.positionNs;
        device.clockNs = settled ? anchor.clockNs : sampleNs;
        device.rate = status.rate;
        device.settled = settled;
        device.endNs = status.endNs;
        state.devices.push_back(std::move(device));
    }
    m_anchors = std::move(anchors);
    state.writtenNs = wire::pageClockNs();
    m_page->write(state);
    if (unsettled) {
        m_nextSample = Clock::now() + kSettleInterval;
    } else if (playing) {
        m_nextSample = Clock::now() + kCheckInterval;
    } else {
        m_nextSample.reset();
    }
}

int StatePublisher::nextSampleMs() const
{
    if (!m_nextSample) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*m_nextSample - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

}  // namespace zelko::mci
