#include "desktop/external_files.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QRegularExpression>
#include <cstdio>

#include "player/form1.h"

namespace zelko {

namespace {

// txtfull's key code for F1, which plays the selected entry in fullscreen mode.
constexpr int kKeyF1 = 112;

QString Refusal(const QString& argument, const QString& reason)
{
    return QStringLiteral("not added: %1: %2").arg(argument, reason);
}

void CollectFolder(const QDir& folder, const QString& shownAs, ExternalFiles& out)
{
    const QFileInfoList files = folder.entryInfoList(OfferedPatterns(), QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty())
        out.refusals << Refusal(shownAs, QStringLiteral("no files of the offered kinds in this folder"));
    for (const QFileInfo& file : files)
        out.paths << QDir::cleanPath(file.absoluteFilePath());
}

void CollectPath(const QString& path, const QString& shownAs, ExternalFiles& out)
{
    const QFileInfo info(path);
    if (!info.exists())
        out.refusals << Refusal(shownAs, QStringLiteral("no such file or folder"));
    else if (info.isDir())
        CollectFolder(QDir(info.absoluteFilePath()), shownAs, out);
    else if (!info.isFile())
        out.refusals << Refusal(shownAs, QStringLiteral("not a regular file"));
    else if (!QDir::match(OfferedPatterns(), info.fileName()))
        out.refusals << Refusal(
            shownAs, QStringLiteral("not one of the offered kinds (%1)").arg(OfferedPatterns().join(QLatin1Char(' '))));
    else
        out.paths << QDir::cleanPath(info.absoluteFilePath());
}

void CollectUrl(const QUrl& url, const QString& shownAs, ExternalFiles& out)
{
    if (url.isLocalFile())
        CollectPath(url.toLocalFile(), shownAs, out);
    else
        out.refusals << Refusal(shownAs, QStringLiteral("not a local file"));
}

// "file:///music/a.mp3" is a URI; "a.mp3", "/music/a.mp3" and "a:b.mp3" are paths.
bool IsUri(const QString& argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(argument).hasMatch();
}

}  // namespace

QStringList OfferedPatterns()
{
    // The filter's odd fields hold the patterns, ";"-separated; the first field that lists them
    // all is not enough, since "mpge(*.mpge)" is offered on its own.
    static const QStringList patterns = [] {
        QStringList all;
        const QStringList fields = QString::fromLatin1(Form1::kMediaFilter).split(QLatin1Char('|'));
        for (qsizetype i = 1; i < fields.size(); i += 2)
            for (const QString& pattern : fields.at(i).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!all.contains(pattern.trimmed()))
                    all << pattern.trimmed();
        return all;
    }();
    return patterns;
}

ExternalFiles CollectExternalFiles(const QStringList& arguments, const QString& baseDir)
{
    ExternalFiles out;
    const QDir base(baseDir);
    for (const QString& argument : arguments) {
        if (IsUri(argument))
            CollectUrl(QUrl(argument), argument, out);
        else
            CollectPath(argument.isEmpty() ? argument : base.absoluteFilePath(argument), argument, out);
    }
    return out;
}

ExternalFiles CollectDroppedFiles(const QList<QUrl>& urls)
{
    ExternalFiles out;
    for (const QUrl& url : urls)
        CollectUrl(url, url.toDisplayString(QUrl::PreferLocalFile), out);
    return out;
}

int AppendAndPlay(Form1& form, const QStringList& paths)
{
    int first = -1;
    int added = 0;
    for (const QString& path : paths) {
        if (!form.AppendToPlaylist(QFileInfo(path).fileName(), path))
            continue;
        if (first < 0)
            first = form.List1->count() - 1;
        ++added;
    }
    if (first < 0)
        return 0;
    // The click before a double-click selects the entry; the play procedures take the selection.
    form.List1->setCurrentRow(first);
    if (form.IsMaximized())
        form.txtfull_KeyDown(kKeyF1, 0);
    else
        form.List1_DblClick();
    return added;
}

void ReportRefusals(const QStringList& refusals)
{
    for (const QString& refusal : refusals)
        std::fprintf(stderr, "zelko-player: %s\n", refusal.toLocal8Bit().constData());
}

}  // namespace zelko
