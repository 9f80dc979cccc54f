// SPDX-License-Identifier: GPL-3.0-or-later
// Zelko Player: the window on the MCI engine of zelko-mci-host. Its persistent data are the playlist
// files of its playlist folder: the current folder, unless the command line names another.
// One player runs per playlist folder; a later start there hands its files to it and ends.
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QSessionManager>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/close_on_signal.h"
#include "app/command_line.h"
#include "app/log.h"
#include "app/metered_application.h"
#include "desktop/desktop_identity.h"
#include "desktop/desktop_integration.h"
#include "desktop/external_files.h"
#include "desktop/file_drops.h"
#include "desktop/folder_claim.h"
#include "desktop/hand_over.h"
#include "desktop/session_bus.h"
#include "channels/host_channel.h"
#include "platform/x_display.h"
#include "player/form1.h"

namespace zelko {
namespace {

// How long a later start waits for the running player to take its files.
constexpr std::chrono::seconds kHandOverTimeout(30);

// The video is drawn into X11 windows: on Qt's Wayland platform the picture stays white, so Qt
// runs on X11 (XWayland on a Wayland desktop) even where the session asks for Wayland. Only a
// platform without a window system (offscreen, minimal) is left as asked; false then.
bool UseX11()
{
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    if (!asked.isEmpty() && !asked.contains("wayland") && !asked.contains("xcb")) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

// Qt's X11 backing store hands what it painted to the X server through shared memory, and
// before it paints an area again it waits for a round trip to the server, to be sure the
// server has read the last picture there. The title strip paints the same small area every
// 30 ms, so every step of a pass paid that round trip (and two thread switches); sent over the
// connection instead, a strip's few kilobytes need no wait. The video is not Qt's to paint.
void PaintWithoutSharedMemory()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << ArgumentText(QByteArray(argv[i]));
    }
    return arguments;
}

void Warn(const QString& text)
{
    std::fprintf(stderr, "zelko-player: %s\n", text.toLocal8Bit().constData());
}

// Runs an action once, when the event loop next turns after the window's first paint: by then
// the window is on the screen, so what the action costs is not the window's start.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> action) : QObject(&window), m_action(std::move(action))
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_action) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(m_action, {}));
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

// The window over the engine, until it closes. claim is null when the folder could not be held.
int RunPlayer(char* programName, const QList<QByteArray>& files, const FolderClaim* claim)
{
    // Qt aborts where its display does not open; the player says why, in its own words.
    if (UseX11()) {
        if (const std::string problem = platform::xDisplayProblem(); !problem.empty()) {
            Warn(QString::fromStdString(problem));
            return 1;
        }
    }
    PaintWithoutSharedMemory();
    qCDebug(lcApp) << "playlist folder" << QDir::currentPath() << "with" << files.size() << "files from outside";
    const QString noBus = FindSessionBus();
    // Qt sees only the program name: the command line is the player's own.
    int qtArgc = 1;
    char* qtArgv[] = {programName, nullptr};
    MeteredApplication app(qtArgc, qtArgv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktop::kDesktopEntryId));

    zelko::channels::HostChannel channel;
    Form1 window(channel);
    CloseOnSignal closeOnSignal(&window);
    FileDrops drops(window.AsPlayer());
    DesktopIntegration desktopIntegration(window.AsPlayer(), noBus, &channel);
    if (claim) {
        auto* server = new HandOverServer(window.AsPlayer(), FolderClaim::SocketPath(QDir::currentPath()));
        if (!server->isListening()) {
            Warn(QStringLiteral("later starts in this folder cannot reach this player: ") + server->errorString());
        }
    }

    // The end of the session closes the window like the Close button, so the playlist is saved.
#if QT_CONFIG(sessionmanager)
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.close(); });
#endif
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.close(); });

    // The engine's host starts, and loads GStreamer's plugins, while the user looks at the list,
    // not on the first double-click.
    new AfterFirstPaint(window, [&channel] { channel.warmUp(); });
    window.show();
    if (!files.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, files] { AppendAndPlay(window.AsPlayer(), files); });
    }
    return app.exec();
}

// The program: the command line, the playlist folder, then the window or a hand-over.
int Main(int argc, char** argv)
{
    const CommandLine commandLine = ParseCommandLine(Arguments(argc, argv));
    // Relative names are taken from the folder the player was started in, before it moves to
    // its playlist folder.
    const ExternalFiles files = CollectExternalFiles(commandLine.files, QDir::currentPath());
    ReportRefusals(files.refusals);
    if (!EnterPlaylistFolder(commandLine.playlistDir)) {
        return 1;
    }

    const QString folder = QDir::currentPath();
    std::unique_ptr<FolderClaim> claim;
    QString reason;
    switch (FolderClaim::TryTake(folder, claim, &reason)) {
    case FolderClaim::Outcome::Taken: break;
    case FolderClaim::Outcome::Unavailable:
        Warn(QStringLiteral("cannot tell whether another player uses this folder (%1)").arg(reason));
        break;
    case FolderClaim::Outcome::HeldOutOfReach:
        Warn(QStringLiteral("another player uses %1 and cannot be reached from here (no shared runtime folder)")
                 .arg(folder));
        return 1;
    case FolderClaim::Outcome::HeldByAnother:
        switch (HandOverFiles(folder, files.paths, claim, kHandOverTimeout)) {
        case HandOverResult::Delivered: return 0;
        case HandOverResult::FolderFree: break;
        case HandOverResult::NoAnswer:
            Warn(QStringLiteral("the player that uses %1 does not answer").arg(folder));
            return 1;
        }
        break;
    }
    static char fallbackName[] = "zelko-player";
    return RunPlayer(argc > 0 && argv[0] ? argv[0] : fallbackName, files.paths, claim.get());
}

}  // namespace
}  // namespace zelko

int main(int argc, char** argv)
{
    return zelko::Main(argc, argv);
}
