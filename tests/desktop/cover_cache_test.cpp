// SPDX-License-Identifier: GPL-3.0-or-later
// The cover cache: a picture written once under $XDG_CACHE_HOME/zelko-player, the folder kept
// within its bounds by dropping the pictures used longest ago.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "desktop/cover_cache.h"

namespace zelko {

namespace {

class CoverCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_saved = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", m_home.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_CACHE_HOME", m_saved); }

    QStringList Files() const
    {
        return QDir(m_home.filePath(QStringLiteral("zelko-player"))).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir m_home;
    QByteArray m_saved;
};

TEST_F(CoverCacheTest, SamePictureIsOneFileWrittenOnce)
{
    const QByteArray picture("\x89PNG a picture");
    const QString first = StoreCover(picture, QStringLiteral("image/png"));
    ASSERT_TRUE(first.startsWith(m_home.filePath(QStringLiteral("zelko-player/")))) << first.toStdString();
    EXPECT_TRUE(first.endsWith(QStringLiteral(".png")));
    const QDateTime written = QFileInfo(first).birthTime();
    EXPECT_EQ(StoreCover(picture, QStringLiteral("image/png")), first);
    EXPECT_EQ(QFileInfo(first).birthTime(), written);
    EXPECT_EQ(Files().size(), 1);
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), picture);
    // Whatever a tag names as the type, the file name stays plain.
    EXPECT_TRUE(StoreCover("other", QStringLiteral("image/../../x y")).endsWith(QStringLiteral(".img")));
    EXPECT_TRUE(StoreCover({}, QStringLiteral("image/png")).isEmpty());
}

TEST_F(CoverCacheTest, KeepsThePicturesUsedLast)
{
    // Modification times are whole seconds on some file systems: each picture is set apart.
    const auto store = [](const QByteArray& picture, int age) {
        const QString path = StoreCover(picture, QStringLiteral("image/jpeg"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime);
        return path;
    };
    const QString first = store("picture 0", 2000);
    const QString reused = store("picture 1", 1999);
    for (int i = 2; i <= kMaxCoverFiles + 5; ++i) {
        store(QByteArray("picture ") + QByteArray::number(i), 1000 - i);
        // Used again halfway, the second picture is the newest and stays.
        if (i == kMaxCoverFiles / 2) {
            ASSERT_EQ(StoreCover("picture 1", QStringLiteral("image/jpeg")), reused);
        }
    }
    EXPECT_EQ(Files().size(), kMaxCoverFiles);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(reused));
}

}  // namespace

}  // namespace zelko
