#pragma once

// The window on a scripted device, for the playback tests whose figures must be exact. The
// window lives in a temporary current directory, so its playlist files never touch the tree.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "media/engine_channel.h"
#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/video_host.h"
#include "playback_fake_device.h"

inline QString ResultCaption(const std::string& result)
{
    return QStringLiteral("Result calling Function is : ") + QString::fromStdString(result);
}

template <class Channel>
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        form = std::make_unique<Form1>(channel);
        form->show();
    }
    void TearDown() override
    {
        form.reset();
        QDir::setCurrent(m_oldDir);
    }

    void AddEntry(const QString& title, const QString& path)
    {
        form->List1->addItem(title);
        form->List2->addItem(path);
    }
    void Select(int row) { form->List1->setCurrentRow(row); }
    bool Pressed(int button) const { return form->asxToolbar1->ButtonPressed(button); }

    Channel channel;
    std::unique_ptr<Form1> form;

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};

// The scripted device with three entries: two 320x240 videos of 2 s at 25 fps (50 frames) and
// a 2 s audio file.
class FakeFormTest : public FormTest<FakeDevice> {
protected:
    void SetUp() override
    {
        FormTest<FakeDevice>::SetUp();
        channel.addClip("/clips/a.mpg", {2000, 25, 320, 240});
        channel.addClip("/clips/b.mpg", {2000, 25, 320, 240});
        channel.addClip("/clips/c.wav", {2000, 0, 0, 0});
        AddEntry("a.mpg", "/clips/a.mpg");
        AddEntry("b.mpg", "/clips/b.mpg");
        AddEntry("c.wav", "/clips/c.wav");
    }
    void PlayRow(int row)
    {
        Select(row);
        form->PlaySelected();
    }
};

// The real engine, with a log of the commands the window sent, and a way for a test to ask the
// device itself how it stands.
class RecordingEngine final : public MciChannel {
public:
    std::vector<std::string> log;

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                        std::uintptr_t callbackWindow) override
    {
        std::string text(command);
        text.erase(text.find_last_not_of(' ') + 1);
        log.push_back(text);
        return m_engine.sendString(command, reply, replyLength, callbackWindow);
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        return m_engine.getErrorString(code, buffer, length);
    }
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        return m_engine.getShortPathName(longPath, buffer, length);
    }
    bool getWindowRect(int64_t windowHandle, zelko::platform::WindowRect& rect) override
    {
        return m_engine.getWindowRect(windowHandle, rect);
    }

    // "status movie <item>" (or any query) straight to the engine, not logged; "" on failure.
    std::string Ask(const std::string& command)
    {
        char reply[128] = {};
        return m_engine.sendString(command, reply, sizeof reply, 0) == 0 ? std::string(reply) : std::string();
    }
    std::vector<std::string> Opens() const
    {
        std::vector<std::string> opens;
        for (const std::string& c : log)
            if (c.rfind("open ", 0) == 0)
                opens.push_back(c.substr(5, c.find(" type ") - 5));
        return opens;
    }

private:
    EngineChannel m_engine;
};

class EngineFormTest : public FormTest<RecordingEngine> {
protected:
    static QString Clip(const char* name) { return QStringLiteral(ZELKO_CLIPS_DIR "/") + QLatin1String(name); }
    void AddClip(const char* name) { AddEntry(QLatin1String(name), Clip(name)); }
    void PlayClip(const char* name)
    {
        AddClip(name);
        Select(form->List1->count() - 1);
        form->PlaySelected();
    }
    std::string Mode() { return channel.Ask("status movie mode"); }
};
