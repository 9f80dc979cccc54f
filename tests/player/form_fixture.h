// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the player tests share: a private current folder for the playlist files, and the window
// over the scripted device or, in the engine tests, the real engine.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "fake_device.h"
#include "meter/meter3.h"
#include "player/controls/asx_toolbar.h"
#include "player/controls/cpv_slider.h"
#include "player/form1.h"
#include "player/video_host.h"

namespace zelko {

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// The file's bytes; "<missing>" when it cannot be read.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QStringList Entries(const QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->item(i)->text();
    }
    return entries;
}

// The window over `Channel`, in a fresh temporary current folder that gets its playlist files.
template <class Channel> class FormTest : public ::testing::Test {
protected:
    FormTest() { QDir::setCurrent(cwd.path()); }
    ~FormTest() override
    {
        form.reset();
        QDir::setCurrent(m_oldDir);
    }
    void SetUp() override { Start(); }
    // A new window over the same channel, the old one gone.
    virtual void Start()
    {
        form = std::make_unique<Form1>(channel);
        form->show();
    }
    void AddEntry(const QString& title, const QString& path)
    {
        form->List1->addItem(title);
        form->List2->addItem(path);
    }
    void PlayRow(int row)
    {
        form->List1->setCurrentRow(row);
        form->PlaySelected();
    }

    const QString m_oldDir = QDir::currentPath();
    QTemporaryDir cwd;
    Channel channel;
    std::unique_ptr<Form1> form;
};

// The scripted device with three entries: 320x240 videos at 25 fps of 2 s (50 frames) and 4 s
// (100 frames), and an audio file of 125.6 s.
class FakeFormTest : public FormTest<FakeDevice> {
protected:
    FakeFormTest()
    {
        channel.clips = {{"/clips/a.mpg", {2000, 25}}, {"/clips/b.mpg", {4000, 25}}, {"/clips/c.wav", {125600, 0}}};
    }
    void Start() override
    {
        FormTest<FakeDevice>::Start();
        channel.device.reset();
        for (const char* name : {"a.mpg", "b.mpg", "c.wav"}) {
            AddEntry(QLatin1String(name), QStringLiteral("/clips/") + QLatin1String(name));
        }
    }
    // The open file reaches its end, where the device stops, and the end timer ticks once.
    void EndAndTick()
    {
        if (channel.device) {
            channel.device->positionMs = channel.device->lengthMs;
            channel.device->mode = "stopped";
        }
        channel.log.clear();
        form->TimerAtEndFile_Timer();
    }
};

}  // namespace zelko
