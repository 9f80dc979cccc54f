// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/mci/engine.h"
#include "platform/mci_host/state_page.h"

namespace zelko::mci {

// The host's side of the published state: writes what every device answers to the page the
// window reads, after each command and whenever a pipeline posts a change; and, while a device
// plays, samples its position now and then, so the window may carry it on with the clock.
//
// A playing position is published as settled only once two samples far enough apart moved as
// the rate says: right after a play the output has not started, and a position carried on from
// then would run ahead of the engine's. Until then the window asks the host, as before. Once
// settled it is sampled again every kCheckInterval, which both keeps the window believing the
// page (a host that stops writing is not believed for long) and catches an output that stalled.
class StatePublisher {
public:
    static constexpr std::chrono::milliseconds kSettleSpan{40};
    static constexpr std::chrono::milliseconds kSettleInterval{50};
    static constexpr std::chrono::milliseconds kCheckInterval{1000};
    // How far a sample may lie from the position carried on from the last one.
    static constexpr int64_t kToleranceNs = 5'000'000;

    explicit StatePublisher(Engine& engine) : m_engine(engine) {}

    // Takes the page the window handed over; false when it is none.
    bool attach(platform::UniqueFd fd);
    bool attached() const { return m_page.has_value(); }
    // Readable while a device's pipeline has posted a change (Engine::changeFds).
    std::vector<int> changeFds() const { return m_engine.changeFds(); }
    // Reads what the pipelines posted and publishes.
    void drainAndPublish();
    void publish();
    // Milliseconds until the next sample of a playing position is due, -1 when none is.
    int nextSampleMs() const;

private:
    struct Anchor {
        int64_t positionNs = 0;
        int64_t clockNs = 0;
        double rate = 0.0;
        bool settled = false;
    };
    // Takes the sample into the alias's anchor; true when the anchor is settled.
    static bool follow(Anchor& anchor, const Engine::DeviceStatus& status, int64_t clockNs, bool known);

    Engine& m_engine;
    std::optional<wire::StatePage> m_page;
    std::map<std::string, Anchor> m_anchors;
    std::optional<std::chrono::steady_clock::time_point> m_nextSample;
};

}  // namespace zelko::mci
