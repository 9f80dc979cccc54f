// Zelko Player: the window on the in-process MCI engine. The program reads no arguments and no
// settings; its only persistent data are the playlist files of the current folder.
#include <QApplication>
#include <QSessionManager>

#include "app/close_on_signal.h"
#include "media/engine_channel.h"
#include "player/form1.h"

namespace {

// The video overlay needs X11 windows, so where the session offers X11 (XWayland included)
// Qt runs on it; an explicit QT_QPA_PLATFORM wins.
void PreferX11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

}  // namespace

int main(int argc, char** argv)
{
    PreferX11();
    // Qt sees only the program name: command-line options are not the player's business.
    int qtArgc = argc > 0 ? 1 : 0;
    char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    QApplication app(qtArgc, qtArgv);

    zelko::media::EngineChannel channel;
    Form1 window(channel);
    CloseOnSignal closeOnSignal(&window);

    // The end of the session closes the window like the Close button, so the playlist is saved.
#if QT_CONFIG(sessionmanager)
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.close();
    });
#endif
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.close(); });

    window.show();
    return app.exec();
}
