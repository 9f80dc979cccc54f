// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scripted stand-in for one MCI device, for the window tests whose figures must be exact
// (percentages, frame targets, command order). It keeps a log of the commands it was sent.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "media/mci_channel.h"

namespace zelko {

// Commands are read case-blind, so clip paths are given in lower case. The window always opens
// its device as "movie".
class FakeDevice final : public zelko::media::ImmediateChannel {
public:
    struct Device {
        int32_t lengthMs = 2000;
        int32_t fps = 0;  // 0: audio only (no frames time format, no video window); else 320x240
        std::string path, mode = "stopped";
        int32_t positionMs = 0, speed = 1000;
        bool frames = false;
    };
    std::map<std::string, Device> clips;  // the files that exist, by path, as they open
    std::optional<Device> device;         // the one open device
    std::vector<std::string> log;         // every command, its padding removed
    // Every command as the engine's trace writes it: the code, its length, the text as sent.
    std::vector<std::string> trace;
    std::function<void(const std::string&)> onSend;
    // Every command is carried out and answered from the event loop, as the engine host answers,
    // not inside send. A command the window stops waiting for is still carried out (the host
    // has it already); only its answer goes nowhere.
    bool answerLater = false;
    int inFlight = 0;  // sent and not yet carried out
    // With answerLater, commands that start with this wait, not carried out, until released, as
    // a file that takes its time to open keeps the host busy.
    std::string holdCommandsStartingWith;
    size_t held() const { return m_held.size(); }
    void releaseHeld()
    {
        for (auto& carryOut : std::exchange(m_held, {})) {
            QTimer::singleShot(0, &m_lifetime, std::move(carryOut));
        }
    }

    RequestId send(std::string_view command, uint32_t replyLength, Completion completion) override
    {
        if (!answerLater) {
            return ImmediateChannel::send(command, replyLength, std::move(completion));
        }
        const RequestId id = ++m_lastRequest;
        m_awaited[id] = std::move(completion);
        ++inFlight;
        std::function<void()> carryOut = [this, id, text = std::string(command), replyLength] {
            --inFlight;
            ImmediateChannel::send(text, replyLength, [this, id](uint32_t code, std::string_view reply) {
                const auto awaited = m_awaited.find(id);
                if (awaited != m_awaited.end()) {
                    const Completion done = std::move(awaited->second);
                    m_awaited.erase(awaited);
                    done(code, reply);
                }
            });
        };
        if (!holdCommandsStartingWith.empty() && command.starts_with(holdCommandsStartingWith)) {
            m_held.push_back(std::move(carryOut));
        } else {
            QTimer::singleShot(0, &m_lifetime, std::move(carryOut));
        }
        return id;
    }
    void abandon(RequestId request) override { m_awaited.erase(request); }

    void setPositionFrames(int32_t frame) { device->positionMs = frame * 1000 / device->fps; }
    bool playing(const std::string& path) const { return device && device->path == path && device->mode == "playing"; }
    // A 2-second audio file at `path`, which a command may name in any letter case; gives the path.
    QString addAudio(const QString& path)
    {
        clips[path.toLower().toStdString()] = clips[path.toStdString()] = {2000, 0};
        return path;
    }
    bool playingAnyCase(const QString& path) const { return playing(path.toLower().toStdString()); }
    int count(const std::string& text) const { return static_cast<int>(std::count(log.begin(), log.end(), text)); }

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t) override
    {
        log.emplace_back(command.substr(0, command.find_last_not_of(' ') + 1));
        if (onSend) {
            onSend(log.back());
        }
        const QString text = QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size()));
        const QStringList words = text.toLower().split(' ', Qt::SkipEmptyParts);
        std::string answer;
        const uint32_t code = run(words, answer);
        trace.push_back(std::to_string(code) + '\t' + std::to_string(command.size()) + '\t' + std::string(command));
        if (reply && replyLength > 0) {
            std::snprintf(reply, replyLength, "%s", answer.c_str());
        }
        return code;
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        return code != 0 && std::snprintf(buffer, length, "fake device error %u", code) > 0;
    }
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        return clips.count(longPath) ? std::snprintf(buffer, length, "%s", longPath) : 0;
    }
    bool getWindowRect(int64_t, zelko::platform::WindowRect&) override { return false; }

private:
    QObject m_lifetime;  // answers not yet given go with the device
    RequestId m_lastRequest = 0;
    std::map<RequestId, Completion> m_awaited;
    std::vector<std::function<void()>> m_held;

    uint32_t run(const QStringList& w, std::string& answer)
    {
        const auto at = [&](int i) { return w.value(i).toStdString(); };
        if (at(0) == "open") {
            if (!clips.count(at(1))) {
                return 275;
            }
            if (device) {
                return 289;  // the alias is taken
            }
            device = clips[at(1)];
            device->path = at(1);
            return 0;
        }
        if (at(0) == "close" && at(1) == "all") {
            device.reset();
            return 0;
        }
        if (!device || at(1) != "movie") {
            return 263;
        }
        Device& d = *device;
        const int32_t perSecond = d.frames ? d.fps : 1000;
        const auto units = [&](int32_t ms) { return ms * perSecond / 1000; };
        const std::string verb = at(0);
        if ((verb == "play" || verb == "seek") && w.size() > 3) {  // "play from f to t", "seek to f"; a bare
            d.positionMs = w[3].toInt() * 1000 / perSecond;        // "play" plays on from where it is
        }
        if (verb == "play" || verb == "seek" || verb == "pause" || verb == "stop" || verb == "resume") {
            d.mode = verb == "pause" ? "paused" : verb == "play" || verb == "resume" ? "playing" : "stopped";
        } else if (verb == "close") {
            device.reset();
        } else if (verb == "set" && at(2) == "speed") {
            d.speed = w.value(3).toInt();
        } else if (verb == "set" && at(4) == "frames" && !d.fps) {
            return 293;
        } else if (verb == "set") {
            d.frames = at(4) == "frames";
        } else if (verb == "status" && at(2) == "mode") {
            answer = d.mode;
        } else if (verb == "status" && (at(2) == "length" || at(2) == "position")) {
            answer = std::to_string(units(at(2) == "length" ? d.lengthMs : d.positionMs));
        } else if (verb == "status" && at(2) == "speed") {
            answer = std::to_string(d.speed);
        } else if ((verb == "where" || verb == "put") && !d.fps) {
            return 346;
        } else if (verb == "where") {
            answer = "0 0 320 240";
        } else if (verb != "put") {
            return 261;
        }
        return 0;
    }
};

}  // namespace zelko
