// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace zelko {

// Turns SIGTERM, SIGINT and SIGHUP into a close of the window, through the same close request
// and unload as the Close button, so a kill or a lost terminal still saves the playlist. The
// handler only writes a byte to a pipe; the window is closed on the UI thread when the event
// loop reads it. One instance per process.
class CloseOnSignal : public QObject {
    Q_OBJECT
public:
    explicit CloseOnSignal(QWidget* window, QObject* parent = nullptr);
    ~CloseOnSignal() override;

private:
    void onSignalled();

    QWidget* m_window;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace zelko
