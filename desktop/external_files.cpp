// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/external_files.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/media_kinds.h"
#include "player/player.h"

namespace zelko {

namespace {

QString Refusal(const QString& argument, const QString& reason)
{
    return QStringLiteral("not added: %1: %2").arg(argument, reason);
}

// The path without "." and ".." steps and doubled slashes, worked on the bytes, since a name
// that is not UTF-8 would not come back from a QString whole.
QByteArray CleanPath(const QByteArray& path)
{
    QList<QByteArray> steps;
    for (const QByteArray& step : path.split('/')) {
        if (step.isEmpty() || step == ".") {
            continue;
        }
        if (step == "..") {
            if (!steps.isEmpty()) {
                steps.removeLast();
            }
            continue;
        }
        steps << step;
    }
    return '/' + steps.join('/');
}

QByteArray NameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool IsOffered(const QByteArray& name)
{
    return platform::kindOfFileName(std::string_view(name.constData(), name.size())) != nullptr;
}

bool IsStorable(const QByteArray& path)
{
    return !path.contains('\r') && !path.contains('\n');
}

// A path as one line of a refusal; its line breaks would split the line, so they show as \r, \n.
QString Shown(const QByteArray& path)
{
    QByteArray text = path;
    return QFile::decodeName(text.replace('\r', "\\r").replace('\n', "\\n"));
}

void CollectFolder(const QByteArray& folder, const QString& shownAs, ExternalFiles& out)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            struct stat info = {};
            if (!name.startsWith('.') && IsOffered(name) && ::stat((folder + '/' + name).constData(), &info) == 0 &&
                S_ISREG(info.st_mode)) {
                names << name;
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return QFile::decodeName(a).compare(QFile::decodeName(b), Qt::CaseInsensitive) < 0;
    });
    if (names.isEmpty()) {
        out.refusals << Refusal(shownAs, QStringLiteral("no files of the offered kinds in this folder"));
    }
    for (const QByteArray& name : names) {
        const QByteArray path = CleanPath(folder + '/' + name);
        if (IsStorable(path)) {
            out.paths << path;
        } else {
            out.refusals << Refusal(Shown(path), QStringLiteral("contains a line break"));
        }
    }
}

void CollectPath(const QByteArray& path, const QString& shownAs, ExternalFiles& out)
{
    struct stat info = {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0) {
        out.refusals << Refusal(shownAs, QStringLiteral("no such file or folder"));
    } else if (S_ISDIR(info.st_mode)) {
        CollectFolder(path, shownAs, out);
    } else if (!S_ISREG(info.st_mode)) {
        out.refusals << Refusal(shownAs, QStringLiteral("not a regular file"));
    } else if (!IsOffered(NameOf(path))) {
        out.refusals << Refusal(
            shownAs, QStringLiteral("not one of the offered kinds (%1)").arg(OfferedPatterns().join(QLatin1Char(' '))));
    } else if (!IsStorable(path)) {
        out.refusals << Refusal(shownAs, QStringLiteral("contains a line break"));
    } else {
        out.paths << CleanPath(path);
    }
}

void CollectUrl(const QUrl& url, const QString& shownAs, ExternalFiles& out)
{
    // The path's bytes come from its percent-encoding, so a name that is not UTF-8 stays whole.
    if (url.isLocalFile()) {
        CollectPath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), shownAs, out);
    } else {
        out.refusals << Refusal(shownAs, QStringLiteral("not a local file"));
    }
}

// "file:///music/a.mp3" is a URI; "a.mp3", "/music/a.mp3" and "a:b.mp3" are paths.
bool IsUri(const QByteArray& argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(QString::fromLatin1(argument.left(64))).hasMatch();
}

}  // namespace

QStringList OfferedPatterns()
{
    QStringList patterns;
    for (const std::string_view extension : platform::mediaExtensions()) {
        patterns << QStringLiteral("*.") + QLatin1String(extension.data(), static_cast<qsizetype>(extension.size()));
    }
    return patterns;
}

ExternalFiles CollectExternalFiles(const QList<QByteArray>& arguments, const QString& baseDir)
{
    ExternalFiles out;
    const QByteArray base = QFile::encodeName(baseDir);
    for (const QByteArray& argument : arguments) {
        const QString shownAs = Shown(argument);
        if (IsUri(argument)) {
            CollectUrl(QUrl(QString::fromUtf8(argument)), shownAs, out);
        } else if (argument.isEmpty() || argument.startsWith('/')) {
            CollectPath(argument, shownAs, out);
        } else {
            CollectPath(base + '/' + argument, shownAs, out);
        }
    }
    return out;
}

ExternalFiles CollectExternalFiles(const QStringList& arguments, const QString& baseDir)
{
    QList<QByteArray> bytes;
    for (const QString& argument : arguments) {
        bytes << QFile::encodeName(argument);
    }
    return CollectExternalFiles(bytes, baseDir);
}

ExternalFiles CollectDroppedFiles(const QList<QUrl>& urls)
{
    ExternalFiles out;
    for (const QUrl& url : urls) {
        CollectUrl(url, url.toDisplayString(QUrl::PreferLocalFile), out);
    }
    return out;
}

int AppendAndPlay(Player& player, const QList<QByteArray>& paths)
{
    // The playlist's edits are done when the calls return; an entry refused leaves the count.
    const int first = player.Now().entries;
    for (const QByteArray& path : paths) {
        player.AppendEntry(NameOf(path), path);
    }
    const int added = player.Now().entries - first;
    if (added > 0) {
        player.PlayEntry(first);
    }
    return added;
}

void ReportRefusals(const QStringList& refusals)
{
    for (const QString& refusal : refusals) {
        std::fprintf(stderr, "zelko-player: %s\n", refusal.toLocal8Bit().constData());
    }
}

}  // namespace zelko
