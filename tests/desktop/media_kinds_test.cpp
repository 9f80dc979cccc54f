// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of kinds, against what a door does with each name and what the desktop is told:
// every extension joins by any door in any letter case, the system's MIME database names every
// such file by a type the desktop is offered, every type offered names files the doors take,
// and the dialog keeps its own filter, every pattern of which the doors take too.
#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "desktop/external_files.h"
#include "platform/media_kinds.h"
#include "player/media_filter.h"

namespace zelko {

namespace {

QString Text(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The table's types, and what the shared MIME database says of each: its own name, or the name
// of which it is an alias.
QStringList OfferedTypes()
{
    QStringList types;
    for (const std::string_view type : platform::mediaMimeTypes()) {
        types << Text(type);
    }
    return types;
}

// Globs of offered types that name no file the player plays: QuickTime VR panoramas, SubStation
// subtitles (which shared-mime-info 2.2 lists under audio/aac as well), VDR's numbered files.
const QStringList kGlobsLeftOut = {"*.qtvr", "*.ass", "[0-9][0-9][0-9].vdr"};

class MediaKindsTest : public ::testing::Test {
protected:
    // A file of that name in the test folder, made on first use.
    QString File(const QString& name)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    // What the doors make of the file: joined, or refused with a reason.
    bool Joins(const QString& name)
    {
        const QString path = File(name);
        const ExternalFiles byName = CollectExternalFiles(QStringList{name}, m_folder.path());
        const ExternalFiles byUri = CollectExternalFiles(QStringList{QUrl::fromLocalFile(path).toString()}, {});
        const ExternalFiles dropped = CollectDroppedFiles({QUrl::fromLocalFile(path)});
        const bool joined = byName.paths.size() == 1;
        EXPECT_EQ(byUri.paths.size() == 1, joined) << name.toStdString();
        EXPECT_EQ(dropped.paths.size() == 1, joined) << name.toStdString();
        EXPECT_EQ(byName.refusals.size(), joined ? 0 : 1) << name.toStdString();
        return joined;
    }

    QTemporaryDir m_folder;
    QMimeDatabase m_mime;
};

TEST_F(MediaKindsTest, EveryExtensionJoinsByEveryDoorInAnyCase)
{
    for (const platform::MediaKind& kind : platform::kMediaKinds) {
        for (const std::string_view extension : kind.extensions) {
            if (extension.empty()) {
                continue;
            }
            const QString lower = Text(extension);
            SCOPED_TRACE(lower.toStdString());
            EXPECT_TRUE(Joins("clip." + lower));
            EXPECT_TRUE(Joins("CLIP." + lower.toUpper()));
            EXPECT_EQ(platform::kindOfFileName(("a." + lower.toUpper()).toStdString()), &kind);
        }
    }
    // Whatever else is turned away, as before.
    for (const QString& name : {"notes.txt", "clip.mp4.part", "clip.srt", "cover.jpg", "mp4", ".mp4", "clip."}) {
        EXPECT_FALSE(Joins(name)) << name.toStdString();
    }
}

TEST_F(MediaKindsTest, TheDesktopIsOfferedTheTypeOfEveryFileTheDoorsTake)
{
    const QStringList offered = OfferedTypes();
    for (const std::string_view extension : platform::mediaExtensions()) {
        const QString name = "clip." + Text(extension);
        const QMimeType type = m_mime.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        // .mpge is the dialog's own; .rmi is typed by the player's MIME package, installed apart.
        if (name.endsWith(".mpge") || name.endsWith(".rmi")) {
            continue;
        }
        EXPECT_TRUE(offered.contains(type.name())) << name.toStdString() << " is " << type.name().toStdString();
    }
}

TEST_F(MediaKindsTest, EveryOfferedTypeNamesFilesTheDoorsTake)
{
    for (const platform::MediaKind& kind : platform::kMediaKinds) {
        for (const std::string_view name : kind.mimeTypes) {
            if (name.empty()) {
                continue;
            }
            SCOPED_TRACE(std::string(name));
            EXPECT_EQ(platform::kindOfMimeType(QString(Text(name)).toUpper().toStdString()), &kind);
            const QMimeType type = m_mime.mimeTypeForName(Text(name));
            // Names the database does not know: the player's own RIFF MIDI, and two that IANA
            // registered since (audio/opus, video/vnd.avi).
            if (!type.isValid()) {
                EXPECT_TRUE(name == platform::kRiffMidiType || name == "audio/opus" || name == "video/vnd.avi");
                continue;
            }
            for (const QString& glob : type.globPatterns()) {
                if (!kGlobsLeftOut.contains(glob)) {
                    EXPECT_TRUE(Joins(QString(glob).replace("*", "clip"))) << glob.toStdString();
                }
            }
        }
    }
}

TEST_F(MediaKindsTest, TheDialogKeepsItsFilterAndTheDoorsTakeEveryPatternInIt)
{
    const QString filter = QString::fromLatin1(kMediaFilter);
    EXPECT_EQ(filter.size(), 357);
    EXPECT_EQ(filter.count('|'), 27);  // 14 choices, each a description and its patterns
    EXPECT_TRUE(filter.startsWith("All media |*.mp3;*.mp2;*.wav;*.midi;*.mid;*.au;*.aiff;*.rmi;*.mpg;"));
    EXPECT_TRUE(filter.endsWith("|DVD(*.vob)|*.vob"));
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([a-z0-9]+)"));
    for (auto match = pattern.globalMatch(filter); match.hasNext();) {
        const QString extension = match.next().captured(1);
        EXPECT_TRUE(Joins("clip." + extension)) << extension.toStdString();
    }
}

}  // namespace

}  // namespace zelko
