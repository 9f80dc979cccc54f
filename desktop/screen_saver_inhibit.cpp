// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/screen_saver_inhibit.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace zelko {

namespace {

const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kApplication = QStringLiteral("Zelko Player");
const QString kReason = QStringLiteral("Playing a video");
// The portal's flag for "the session must not go idle".
constexpr uint kInhibitIdle = 8;
// How long the last release may hold up the program's end.
constexpr int kReleaseTimeoutMs = 2000;

}  // namespace

ScreenSaverInhibit::ScreenSaverInhibit(const QDBusConnection& bus, const QString& windowId)
    : m_bus(bus), m_windowId(windowId)
{
}

ScreenSaverInhibit::~ScreenSaverInhibit()
{
    m_wanted = false;
    Release(true);
}

void ScreenSaverInhibit::SetWanted(bool wanted)
{
    if (wanted == m_wanted) {
        return;
    }
    m_wanted = wanted;
    if (m_hold == Hold::Requesting) {
        return;  // the answer finds out what is wanted by then
    }
    if (wanted) {
        RequestFromScreenSaver();
    } else {
        Release(false);
    }
}

void ScreenSaverInhibit::RequestFromScreenSaver()
{
    m_hold = Hold::Requesting;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, QStringLiteral("Inhibit"));
    call << kApplication << kReason;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibit::OnScreenSaverAnswer);
}

void ScreenSaverInhibit::RequestFromPortal()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortal, kPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << m_windowId << kInhibitIdle << QVariantMap{{QStringLiteral("reason"), kReason}};
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibit::OnPortalAnswer);
}

void ScreenSaverInhibit::OnScreenSaverAnswer(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        RequestFromPortal();
        return;
    }
    m_cookie = reply.value();
    m_hold = Hold::ScreenSaver;
    if (!m_wanted) {
        Release(false);
    }
}

void ScreenSaverInhibit::OnPortalAnswer(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    // Neither is there: the screen is left to the desktop. The next request asks again.
    m_hold = reply.isError() ? Hold::None : Hold::Portal;
    if (!reply.isError()) {
        m_request = reply.value();
    }
    if (m_hold == Hold::None && m_wanted) {
        m_wanted = false;
    } else if (m_hold == Hold::Portal && !m_wanted) {
        Release(false);
    }
}

void ScreenSaverInhibit::Release(bool wait)
{
    QDBusMessage call;
    if (m_hold == Hold::ScreenSaver) {
        call =
            QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, QStringLiteral("UnInhibit"));
        call << m_cookie;
    } else if (m_hold == Hold::Portal) {
        call = QDBusMessage::createMethodCall(
            kPortal, m_request.path(), QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
    } else {
        return;
    }
    m_hold = Hold::None;
    if (wait) {
        m_bus.call(call, QDBus::Block, kReleaseTimeoutMs);
    } else {
        m_bus.asyncCall(call);
    }
}

}  // namespace zelko
