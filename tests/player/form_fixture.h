// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the player tests share: a private current folder for the playlist files, the window over
// the scripted device or, in the engine tests, the real engine, and its controls found as a user
// or a screen reader finds them: by their names.
#include <QAbstractButton>
#include <QAccessible>
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
#include "form1_probe.h"
#include "helpers/picture_box.h"
#include "meter/meter3.h"
#include "player/controls/asx_toolbar.h"
#include "player/controls/cpv_slider.h"
#include "player/form1.h"
#include "player/player.h"
#include "player/video_host.h"

namespace zelko {

using Clock = Form1Probe::Clock;

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

inline QAccessibleInterface* Accessible(QWidget* control)
{
    return QAccessible::queryAccessibleInterface(control);
}

// The one control of type T in `window` that a screen reader calls `name`, shown or not; with
// no name, the one control of that type.
template <class T> T* Control(QWidget& window, const QString& name = QString())
{
    QList<T*> found;
    for (T* control : window.findChildren<T*>()) {
        if (name.isNull() || Accessible(control)->text(QAccessible::Name) == name) {
            found << control;
        }
    }
    EXPECT_EQ(found.size(), 1) << "controls called \"" << name.toStdString() << "\"";
    return found.value(0);
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

    Player& player() { return form->AsPlayer(); }
    QListWidget* Playlist() { return Control<QListWidget>(*form, QStringLiteral("Playlist")); }
    QAbstractButton* Button(const QString& name) { return Control<QAbstractButton>(*form, name); }
    AsxToolbar* Toolbar(const QString& name) { return Control<AsxToolbar>(*form, name); }
    CpvSlider* Slider() { return Control<CpvSlider>(*form, QStringLiteral("Position")); }
    Meter3* Meter() { return Control<Meter3>(*form, QStringLiteral("Played")); }
    VideoHost* Video() { return Control<VideoHost>(*form, QStringLiteral("Video")); }
    PictureBox* TitleStrip() { return Control<PictureBox>(*form); }
    QLabel* TitleLabel() { return Control<QLabel>(*form, QStringLiteral("Zelko Player 1.0")); }
    // The time played and the length, as the label shows them.
    QString TimeShown()
    {
        for (QLabel* label : form->findChildren<QLabel*>()) {
            if (label->accessibleDescription() == QStringLiteral("Time played / length")) {
                return label->text();
            }
        }
        ADD_FAILURE() << "no time label";
        return {};
    }
    // Pause or Slow Motion latched, as a screen reader reads the button.
    bool Latched(const QString& name) { return Accessible(Button(name))->state().checked; }
    QString FocusName() { return form->focusWidget() ? Accessible(form->focusWidget())->text(QAccessible::Name) : ""; }

    // The keys go where the keyboard's focus is, as the user types them.
    void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(form->focusWidget() ? form->focusWidget() : form.get(), key, modifiers);
    }
    // A click on the playlist's entry, brought into view first.
    void Select(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QListWidget* list = Playlist();
        list->scrollToItem(list->item(row));
        const QRect entry = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, entry.center());
    }
    // Moves the slider's thumb as the pointer would; its seek is sent before this returns.
    void Seek(int percent)
    {
        Slider()->MoveThumb(percent);
        QCoreApplication::sendPostedEvents(Slider(), QEvent::MetaCall);
    }
    void AddEntry(const QString& title, const QString& path)
    {
        player().AppendEntry(title.toUtf8(), QFile::encodeName(path));
    }
    void PlayRow(int row) { player().PlayEntry(row); }

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
        Form1Probe::Tick(*form, Clock::AtEndFile);
    }
};

}  // namespace zelko
