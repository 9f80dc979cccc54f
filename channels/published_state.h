// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/mci_host/state_page.h"
#include "platform/time_limit.h"
#include "platform/unique_fd.h"

namespace zelko::channels {

// The window's side of the state the engine host publishes (platform/mci_host/state_page.h):
// answers the queries the window's timers make while a file plays (`status <alias> mode`,
// `position`, `length`, `time format`) with the very text the engine would give, without
// waking the host. A playing position is carried on from the published one with the clock.
//
// It answers only what it is sure of, and nothing else (the command then goes to the host as
// any other): no other command or form of one, no alias the page does not hold, no reply that
// would not fit, no torn or nonsensical page, no playing position the host has not yet seen
// settle, none that has reached the end of what plays (the host tells what happens there: the
// end, or a stream that runs on past its length), and nothing of a playing device on a page the
// host has not written for kStale.
class PublishedState {
public:
    // The host samples a playing position every second; a page older than this is not believed.
    static constexpr std::chrono::milliseconds kStale = platform::timeLimit(std::chrono::milliseconds(3000));

    // A fresh page for a host about to start: the descriptor to hand it, none when the system
    // refuses a page (every command then goes to the host).
    platform::UniqueFd renew();
    // The host it was shared with is gone.
    void forget() { m_page.reset(); }

    // Nothing has come from the host since its last reply: it has neither gone nor said
    // anything unasked. A host that has is asked, and so found out.
    static bool hostIsQuiet(int socket);

    // The reply the engine would give to `command` now, or nothing. The caller makes sure no
    // command is pending in the host.
    std::optional<std::string> answer(std::string_view command, uint32_t replyLength) const;
    // The code the engine would answer `set <alias> time format <format>` with, where the page
    // makes it sure and the command changes nothing: 0 when the device counts in that format
    // already, 293 when frames are asked of a device without a picture. Nothing otherwise.
    std::optional<uint32_t> unchangedBy(std::string_view command) const;

private:
    std::optional<mci::wire::StatePage> m_page;
};

}  // namespace zelko::channels
