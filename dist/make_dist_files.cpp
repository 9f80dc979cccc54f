// SPDX-License-Identifier: GPL-3.0-or-later
// zelko-dist-files TEMPLATES OUT VERSION HOMEPAGE: writes the files the player installs under
// share/ into OUT (emptied first): the desktop entry, the AppStream metainfo and the MIME
// package from their templates in TEMPLATES, with the id of desktop/desktop_identity.h and the
// MIME types of the kinds table (platform/media_kinds.h) filled in, and the icon in every
// hicolor size from the window icon's own design. Runs at build time, so the installed files
// cannot drift from the code.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <cstdio>

#include "desktop/desktop_identity.h"
#include "platform/media_kinds.h"
#include "player/window_icon.h"

namespace zelko {
namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString Id()
{
    return QString::fromLatin1(desktop::kDesktopEntryId.data(), desktop::kDesktopEntryId.size());
}

QByteArray Latin1(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) {
        return true;
    }
    std::fprintf(stderr, "zelko-dist-files: cannot write %s\n", qPrintable(path));
    return false;
}

// The template with every @NAME@ filled in; a name left over is a mistake in the template.
bool Fill(const QString& templatePath, const QString& outPath, const QList<QPair<QByteArray, QByteArray>>& values)
{
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zelko-dist-files: cannot read %s\n", qPrintable(templatePath));
        return false;
    }
    QByteArray text = file.readAll();
    for (const auto& [name, value] : values) {
        text.replace('@' + name + '@', value);
    }
    static const QRegularExpression placeholder(QStringLiteral("@[A-Z_]+@"));
    if (const auto left = placeholder.match(QString::fromUtf8(text)); left.hasMatch()) {
        std::fprintf(stderr, "zelko-dist-files: %s: unknown placeholder %s\n", qPrintable(templatePath),
                     qPrintable(left.captured()));
        return false;
    }
    return Write(outPath, text);
}

bool WriteIcons(const QString& out)
{
    const QString name = Id();
    for (int side : kIconSizes) {
        const QString path = QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png").arg(out).arg(side).arg(name);
        QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
        if (!ZelkoIconImage(side).save(path, "PNG")) {
            std::fprintf(stderr, "zelko-dist-files: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return Write(QStringLiteral("%1/icons/hicolor/scalable/apps/%2.svg").arg(out, name), ZelkoIconSvg());
}

// Writes the install files from their templates.
int Main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: zelko-dist-files TEMPLATES OUT VERSION HOMEPAGE\n");
        return 2;
    }
    const QString templates = QFile::decodeName(argv[1]);
    const QString out = QFile::decodeName(argv[2]);
    QDir(out).removeRecursively();

    QByteArray mimeTypes;
    QByteArray mediaTypes;
    for (std::string_view type : platform::mediaMimeTypes()) {
        mimeTypes += Latin1(type) + ';';
        mediaTypes += "\n    <mediatype>" + Latin1(type) + "</mediatype>";
    }
    // The type the MIME package brings, with the names the kinds table gives its files.
    QByteArray riffMidiGlobs;
    for (std::string_view extension : platform::kindOfMimeType(platform::kRiffMidiType)->extensions) {
        if (!extension.empty()) {
            riffMidiGlobs += "\n    <glob pattern=\"*." + Latin1(extension) + "\"/>";
        }
    }
    const QList<QPair<QByteArray, QByteArray>> values = {
        {"DESKTOP_ENTRY_ID", Id().toLatin1()}, {"MIME_TYPES", mimeTypes},
        {"MEDIA_TYPES", mediaTypes},           {"RIFF_MIDI_TYPE", Latin1(platform::kRiffMidiType)},
        {"RIFF_MIDI_GLOBS", riffMidiGlobs},    {"VERSION", QByteArray(argv[3])},
        {"HOMEPAGE", QByteArray(argv[4])},
    };
    const QString id = Id();
    const bool ok = Fill(templates + QStringLiteral("/zelko-player.desktop.in"),
                         QStringLiteral("%1/applications/%2.desktop").arg(out, id), values) &&
                    Fill(templates + QStringLiteral("/zelko-player.metainfo.xml.in"),
                         QStringLiteral("%1/metainfo/%2.metainfo.xml").arg(out, id), values) &&
                    Fill(templates + QStringLiteral("/zelko-player.mime.xml.in"),
                         QStringLiteral("%1/mime/packages/%2.xml").arg(out, id), values) &&
                    WriteIcons(out);
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace zelko

int main(int argc, char** argv)
{
    return zelko::Main(argc, argv);
}
