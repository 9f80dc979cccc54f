// SPDX-License-Identifier: GPL-3.0-or-later
// The window on one channel or the other, playing each file given for a while and then closing,
// with ZELKO_STALL_METER naming the file its application appends the longest time away from the
// event loop to (see app/metered_application.h):
//
//     window_stall_driver --engine in-process|host [--seconds S] FILE...
//
// in-process: the engine in the window's process, which answers every command inside send();
// host: the product's channel to zelko-mci-host.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/metered_application.h"
#include "channels/engine_channel.h"
#include "channels/host_channel.h"
#include "player/form1.h"

namespace {

struct Options {
    bool inProcess = false;
    int playMs = 3000;
    QStringList files;
};

bool Parse(int argc, char** argv, Options& options)
{
    bool engineNamed = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--engine") == 0 && i + 1 < argc) {
            options.inProcess = std::strcmp(argv[++i], "in-process") == 0;
            engineNamed = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options.playMs = static_cast<int>(std::atof(argv[++i]) * 1000);
        } else {
            options.files << QFile::decodeName(argv[i]);
        }
    }
    return engineNamed && !options.files.isEmpty();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: window_stall_driver --engine in-process|host [--seconds S] FILE...\n");
        return 2;
    }
    // The window keeps its playlist in the current folder: a scratch one.
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    zelko::MeteredApplication app(argc, argv);
    std::unique_ptr<zelko::channels::EngineChannel> engine;
    std::unique_ptr<zelko::channels::HostChannel> host;
    zelko::media::MciChannel* channel = nullptr;
    if (options.inProcess) {
        engine = std::make_unique<zelko::channels::EngineChannel>();
        engine->warmUp();
        channel = engine.get();
    } else {
        host = std::make_unique<zelko::channels::HostChannel>();
        host->warmUp();
        channel = host.get();
    }
    zelko::Form1 window(*channel);
    zelko::Player& player = window.AsPlayer();
    for (const QString& file : options.files) {
        player.AppendEntry(QFileInfo(file).fileName().toUtf8(), QFile::encodeName(QFileInfo(file).absoluteFilePath()));
    }
    window.show();
    // Each entry plays in turn, a while apart; then the window closes as the Close button does.
    for (int row = 0; row < options.files.size(); ++row) {
        QTimer::singleShot(1000 + row * options.playMs, &window, [&player, row] { player.PlayEntry(row); });
    }
    QTimer::singleShot(1000 + static_cast<int>(options.files.size()) * options.playMs, &window,
                       [&player] { player.Close(); });
    QObject::connect(&player, &zelko::Player::Closing, &app,
                     [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    return app.exec();
}
