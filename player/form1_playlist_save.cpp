// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist goes to pl1.txt and pl2.txt within a second of every change, and again when the
// window closes, so a killed player, a crash or a lost X server costs at most that second. Both
// files are prepared before either is committed: a write that fails leaves both as they were,
// so the titles and the paths stay in step.
#include <QListWidget>
#include <QTimer>
#include <cstdio>

#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"
#include "player/playlist_entries.h"
#include "player/playlist_file.h"
#include "player/playlist_writer.h"

namespace zelko {

namespace {

// How long a change waits for the ones that come with it (a folder of files, a Clear All then an
// Add), and how long a save that failed waits before it tries again.
constexpr int kSaveDelayMs = 400;
constexpr int kRetryDelayMs = 5000;

const QString kKept = QStringLiteral("; the file is left as it was");

}  // namespace

void Form1::WatchPlaylist()
{
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    connect(m_saveTimer, &QTimer::timeout, this, &Form1::SavePlaylist);
    for (QListWidget* list : {List1, List2}) {
        QAbstractItemModel* model = list->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, &Form1::PlaylistChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &Form1::PlaylistChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &Form1::PlaylistChanged);
        connect(model, &QAbstractItemModel::dataChanged, this, &Form1::PlaylistChanged);
    }
}

void Form1::PlaylistChanged()
{
    // The first change of a burst starts the wait and later ones do not prolong it, so a stream
    // of changes is still saved within the second.
    if (!m_unloaded && !m_saveTimer->isActive()) {
        m_saveTimer->start(kSaveDelayMs);
    }
}

void Form1::SavePlaylist()
{
    m_saveTimer->stop();
    struct File {
        File(const char* fileName, const QListWidget* entries, bool mark, bool alone)
            : name(QString::fromLatin1(fileName)), list(entries), marked(mark), leftAlone(alone), writer(name)
        {
        }
        QString name;
        const QListWidget* list;
        bool marked;
        bool leftAlone;  // not a playlist this player read, so not one to write over
        PlaylistWriter writer;
        QString why;
    };
    File files[] = {{form1::kTitlesFile, List1, m_titlesMarked, m_titlesLeftAlone},
                    {form1::kPathsFile, List2, m_pathsMarked, m_pathsLeftAlone}};
    // A file that is not ours to write (a folder, a device, one not read at the start) is left
    // alone and the other is saved on its own, as it would be without it.
    bool allPrepared = true;
    for (File& file : files) {
        if (!file.leftAlone) {
            file.why = file.writer.Prepare({playlist_entries::AllBytes(file.list), file.marked});
        }
        file.leftAlone = file.leftAlone || file.writer.LeftAlone();
        allPrepared = allPrepared && (file.leftAlone || file.why.isEmpty());
    }
    QStringList report;
    QString committed;
    bool commitFailed = false;
    const QString inStep = QStringLiteral("the other file could not be written, and the two stay in step") + kKept;
    for (File& file : files) {
        if (file.leftAlone) {
            if (!file.why.isEmpty()) {
                report << QStringLiteral("%1 was not saved: %2").arg(file.name, file.why);
            }
            continue;
        }
        if (!allPrepared && file.why.isEmpty()) {
            file.why = inStep;
        } else if (allPrepared && !commitFailed) {
            file.why = file.writer.Commit();
            commitFailed = !file.why.isEmpty();
            if (!commitFailed) {
                committed = file.name;
            }
        } else if (allPrepared) {
            file.why = committed.isEmpty()
                           ? inStep
                           : QStringLiteral("%1 holds the new playlist, this file the one before").arg(committed);
        }
        if (!file.why.isEmpty()) {
            report << QStringLiteral("%1 was not saved: %2").arg(file.name, file.why);
        }
    }
    ReportSave(report);
}

void Form1::ReportSave(const QStringList& report)
{
    // A failure is said once, not every time the save is tried again; a save that works again
    // clears it, so the next failure is said too.
    const QString text = report.join(QLatin1Char('\n'));
    if (text != m_lastSaveReport) {
        for (const QString& line : report) {
            std::fprintf(stderr, "zelko-player: %s\n", line.toLocal8Bit().constData());
        }
        if (!text.isEmpty()) {
            emit m_facade->PlaylistNotSaved(text);
        }
    }
    m_lastSaveReport = text;
    if (!text.isEmpty() && !m_unloaded) {
        m_saveTimer->start(kRetryDelayMs);
    }
}

}  // namespace zelko
