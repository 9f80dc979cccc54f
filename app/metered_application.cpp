// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/metered_application.h"

#include <QEvent>
#include <QMetaEnum>
#include <cstdio>
#include <utility>

namespace zelko {

namespace {

using namespace std::chrono_literals;

// A frame's worth of work: longer than this, the user sees the window stand still.
constexpr auto kFrameBudget = 50ms;

QByteArray Describe(QEvent::Type type, const char* receiverClass)
{
    const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return (name ? QByteArray(name) : QByteArray::number(type)) + " to " + receiverClass;
}

}  // namespace

MeteredApplication::MeteredApplication(int& argc, char** argv)
    : QApplication(argc, argv), m_reportPath(qgetenv("ZELKO_STALL_METER"))
{
    // Told when the event loop has ended: what the program does on its way out is not the
    // window's any more (and an engine in the process may take its time to go).
    if (!m_reportPath.isEmpty()) {
        connect(this, &QCoreApplication::aboutToQuit, this, &MeteredApplication::Report);
    }
}

MeteredApplication::~MeteredApplication() = default;

void MeteredApplication::Report()
{
    if (std::exchange(m_reported, true)) {
        return;
    }
    if (std::FILE* report = std::fopen(m_reportPath.constData(), "ae")) {
        const double longestMs = std::chrono::duration<double, std::milli>(m_longest).count();
        std::fprintf(report, "%.1f ms longest away from the event loop (%s); %d events, %d over %lld ms\n", longestMs,
                     m_longestWhat.constData(), m_events, m_over50ms, static_cast<long long>(kFrameBudget.count()));
        std::fclose(report);
    }
}

bool MeteredApplication::notify(QObject* receiver, QEvent* event)
{
    if (m_reportPath.isEmpty() || m_depth > 0) {
        return QApplication::notify(receiver, event);
    }
    // What is needed to name the event is read before its handler runs, which may delete the
    // receiver and the event; a class's name outlives its objects.
    const QEvent::Type type = event->type();
    const char* receiverClass = receiver ? receiver->metaObject()->className() : "nothing";
    const Clock::time_point start = Clock::now();
    ++m_depth;
    const bool handled = QApplication::notify(receiver, event);
    --m_depth;
    const Clock::duration took = Clock::now() - start;
    ++m_events;
    m_over50ms += took > kFrameBudget ? 1 : 0;
    if (took > m_longest) {
        m_longest = took;
        m_longestWhat = Describe(type, receiverClass);
    }
    return handled;
}

}  // namespace zelko
