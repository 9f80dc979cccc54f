// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/close_on_signal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zelko {

namespace {

std::array<int, 2> g_pipe{-1, -1};
constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// Runs in signal context: only async-signal-safe calls. A full pipe already holds a wake-up.
void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

CloseOnSignal::CloseOnSignal(QWidget* window, QObject* parent) : QObject(parent), m_window(window)
{
    if (::pipe2(g_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CloseOnSignal::onSignalled);
}

CloseOnSignal::~CloseOnSignal()
{
    if (!m_notifier) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe = {-1, -1};
}

void CloseOnSignal::onSignalled()
{
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {}
    m_window->close();
    // The window may have been hidden already (a second signal); the program ends either way.
    QCoreApplication::quit();
}

}  // namespace zelko
