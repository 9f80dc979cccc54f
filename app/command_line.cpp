// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>

namespace zelko {

namespace {

[[noreturn]] void Fail(const QString& text)
{
    std::fprintf(stderr, "zelko-player: %s\nTry 'zelko-player --help'.\n", text.toLocal8Bit().constData());
    std::exit(1);
}

[[noreturn]] void ShowHelp(QCommandLineParser& parser, const QStringList& arguments)
{
    // The usage line names the program as it was called, which the parser takes from the
    // application object.
    int argc = 1;
    QByteArray name = arguments.isEmpty() ? QByteArray("zelko-player") : arguments.first().toLocal8Bit();
    char* argv[] = {name.data(), nullptr};
    QCoreApplication app(argc, argv);
    parser.showHelp(0);
}

// The length of the UTF-8 sequence that begins at `at`, 0 when none valid does.
qsizetype Utf8SequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const qsizetype length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
    if (length == 0 || at + length > bytes.size()) {
        return 0;
    }
    return bytes.sliced(at, length).isValidUtf8() ? length : 0;
}

}  // namespace

QString ArgumentText(const QByteArray& bytes)
{
    QString text;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (const qsizetype length = Utf8SequenceAt(bytes, at); length > 0) {
            text += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        } else {
            text += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[at])));
            ++at;
        }
    }
    return text;
}

QByteArray ArgumentBytes(const QString& text)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool escaped = i < text.size() && text[i].unicode() >= 0xDC80 && text[i].unicode() <= 0xDCFF &&
                             (i == 0 || !text[i - 1].isHighSurrogate());
        if (i < text.size() && !escaped) {
            continue;
        }
        bytes += QStringView(text).sliced(runStart, i - runStart).toUtf8();
        if (escaped) {
            bytes += static_cast<char>(text[i].unicode() - 0xDC00);
        }
        runStart = i + 1;
    }
    return bytes;
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zelko Player 1.0: plays audio and video files from a playlist kept in pl1.txt and pl2.txt.\n"
        "Each FILE (a path, a file:// URI or a folder of media files) is added to the playlist and the\n"
        "first one plays. Where a player already runs on the same playlist folder, the files go to it."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's version."));
    const QCommandLineOption playlistDir(QStringLiteral("playlist-dir"),
                                         QStringLiteral("Keeps the playlist in DIR (made when missing) instead of the "
                                                        "current folder."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption userPlaylist(QStringLiteral("user-playlist"),
                                          QStringLiteral("Keeps the playlist in $XDG_DATA_HOME/zelko-player, as the "
                                                         "desktop menu starts the player."));
    parser.addOptions({help, version, playlistDir, userPlaylist});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Media files to add and play."),
                                 QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments)) {
        Fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        ShowHelp(parser, arguments);
    }
    if (parser.isSet(version)) {
        std::printf("zelko-player %s\n", ZELKO_VERSION);
        std::exit(0);
    }
    if (parser.isSet(playlistDir) && parser.isSet(userPlaylist)) {
        Fail(QStringLiteral("--playlist-dir and --user-playlist name two places for one playlist."));
    }

    CommandLine commandLine;
    for (const QString& file : parser.positionalArguments()) {
        commandLine.files << ArgumentBytes(file);
    }
    if (parser.isSet(playlistDir)) {
        commandLine.playlistDir = parser.value(playlistDir);
    } else if (parser.isSet(userPlaylist)) {
        commandLine.playlistDir =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zelko-player");
    }
    return commandLine;
}

bool EnterPlaylistFolder(const QString& folder)
{
    if (folder.isEmpty()) {
        return true;
    }
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
        std::fprintf(stderr, "zelko-player: cannot use %s as the playlist folder\n", folder.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace zelko
