// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QByteArray>
#include <chrono>

namespace zelko {

// The player's application. With ZELKO_STALL_METER naming a file, it measures how long the
// window's thread stays away from its event loop: every event it hands out is timed from the
// moment it is handed out until its handler returns (events sent from inside a handler, and any
// loop run inside one, count with it), and when the application ends one line is appended to
// the file when its event loop ends: the longest such time, in milliseconds, and which event it
// was. Without the switch it only hands the events out.
//
// The event dispatcher's awake and aboutToBlock signals cannot tell this: on GLib's main loop,
// which Qt uses on Linux, both come around one whole iteration, the wait and the work together.
class MeteredApplication final : public QApplication {
public:
    MeteredApplication(int& argc, char** argv);
    ~MeteredApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;

    void Report();

    QByteArray m_reportPath;  // empty: not measured
    int m_depth = 0;          // events being handled, one inside another
    Clock::duration m_longest{};
    QByteArray m_longestWhat;
    int m_events = 0;
    int m_over50ms = 0;
    bool m_reported = false;
};

}  // namespace zelko
