// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace zelko {

// Keeps the screen awake while it is wanted: through the desktop's screen saver
// (org.freedesktop.ScreenSaver), or where there is none through the desktop portal's Inhibit.
// Calls never block the window: answers come back on the UI thread, and a release wanted before
// the answer to a request goes out as soon as the answer arrives.
class ScreenSaverInhibit : public QObject {
    Q_OBJECT
public:
    // windowId names the window to the portal ("x11:<hex>"), or is empty.
    ScreenSaverInhibit(const QDBusConnection& bus, const QString& windowId);
    // Releases a hold, waiting briefly for the answer: the program is about to end.
    ~ScreenSaverInhibit() override;

    void SetWanted(bool wanted);

private:
    enum class Hold { None, Requesting, ScreenSaver, Portal };
    void RequestFromScreenSaver();
    void RequestFromPortal();
    void OnScreenSaverAnswer(QDBusPendingCallWatcher* call);
    void OnPortalAnswer(QDBusPendingCallWatcher* call);
    void Release(bool wait);

    QDBusConnection m_bus;
    QString m_windowId;
    bool m_wanted = false;
    Hold m_hold = Hold::None;
    uint m_cookie = 0;          // the screen saver's
    QDBusObjectPath m_request;  // the portal's
};

}  // namespace zelko
