#pragma once

// What the window tests share: a private current folder for the playlist files, and a small
// recording channel (media is not the point of these tests).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "media/mci_channel.h"

// Makes a fresh temporary folder the current directory for its lifetime.
class TempCwd {
public:
    TempCwd() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempCwd() { QDir::setCurrent(m_old); }
    TempCwd(const TempCwd&) = delete;
    TempCwd& operator=(const TempCwd&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// The file's bytes; "<missing>" when it cannot be read.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Records every command without its padding. "Close All" succeeds; everything else answers as
// the engine does for an alias that names no open device, so the end-of-media poll that runs
// from the start finds nothing to do.
class RecordingChannel final : public MciChannel {
public:
    static constexpr uint32_t kNoDevice = 263;

    std::vector<std::string> texts;
    std::function<void(const std::string&)> onSend;

    int count(const std::string& text) const
    {
        int n = 0;
        for (const std::string& t : texts)
            n += t == text ? 1 : 0;
        return n;
    }

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t) override
    {
        std::string text(command);
        text.erase(text.find_last_not_of(' ') + 1);
        texts.push_back(text);
        if (onSend)
            onSend(text);
        if (reply && replyLength > 0)
            reply[0] = '\0';
        return text == "Close All" ? 0 : kNoDevice;
    }
    bool getErrorString(uint32_t, char* buffer, uint32_t length) override
    {
        const char text[] = "The specified device is not open.";
        std::strncpy(buffer, text, length);
        buffer[length - 1] = '\0';
        return true;
    }
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        std::strncpy(buffer, longPath, length);
        buffer[length - 1] = '\0';
        return static_cast<uint32_t>(std::strlen(buffer));
    }
    bool getWindowRect(int64_t, zelko::platform::WindowRect&) override { return false; }
};
