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

// Makes a fresh temporary folder the current directory for its lifetime.
class TempCwd {
public:
    TempCwd() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempCwd() { QDir::setCurrent(m_old); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
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
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

inline QString ResultCaption(const std::string& result)
{
    return QStringLiteral("Result calling Function is : ") + QString::fromStdString(result);
}

template <class Inner>
class FormTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }
    // A new window over the same channel, the old one gone.
    virtual void Start()
    {
        form.reset();
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

    TempCwd cwd;
    Inner channel;
    std::unique_ptr<Form1> form;
};

// The scripted device with three entries: two 320x240 videos of 2 s at 25 fps (50 frames) and
// a 2 s audio file.
class FakeFormTest : public FormTest<FakeDevice> {
protected:
    FakeFormTest()
    {
        channel.clips = {{"/clips/a.mpg", {2000, 25}}, {"/clips/b.mpg", {2000, 25}}, {"/clips/c.wav", {2000, 0}}};
    }
    void Start() override
    {
        FormTest<FakeDevice>::Start();
        channel.device.reset();
        for (const char* name : {"a.mpg", "b.mpg", "c.wav"})
            AddEntry(QLatin1String(name), QStringLiteral("/clips/") + QLatin1String(name));
    }
};
