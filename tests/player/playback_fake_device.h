#pragma once

// A scripted stand-in for one MCI device, for the window tests whose figures must be exact
// (percentages, frame targets, command order). It answers the commands the media layer sends
// the way the engine does, keeps a log of them, and lets a test move the play position.
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "media/mci_channel.h"

struct FakeClip {
    int32_t lengthMs = 2000;
    int32_t fps = 0;  // 0: audio only (no frames time format, no video window)
    int32_t cx = 0;
    int32_t cy = 0;
};

class FakeDevice final : public MciChannel {
public:
    struct Device {
        std::string alias;
        std::string path;
        FakeClip clip;
        bool frames = false;
        std::string mode = "stopped";
        int32_t positionMs = 0;
        int32_t speed = 1000;
        int64_t parent = 0;
        std::string window;  // the last "put window at" rectangle
    };

    std::map<std::string, FakeClip> clips;  // the files that exist, by path
    std::optional<Device> device;          // the one open device
    std::vector<std::string> log;          // every command, trailing blanks removed

    void addClip(const std::string& path, FakeClip clip) { clips[path] = clip; }

    int32_t lengthFrames() const { return device->clip.lengthMs * device->clip.fps / 1000; }
    void setPositionFrames(int32_t frame) { device->positionMs = frame * 1000 / device->clip.fps; }
    void runToEnd()
    {
        device->positionMs = device->clip.lengthMs;
        device->mode = "stopped";
    }
    bool playingPath(const std::string& path) const { return device && device->path == path && device->mode == "playing"; }
    int count(const std::string& prefix) const
    {
        return static_cast<int>(std::count_if(log.begin(), log.end(),
                                              [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }
    void clearLog() { log.clear(); }

    static std::string describe(uint32_t code) { return "fake device error " + std::to_string(code); }

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t) override
    {
        std::string text(command);
        text.erase(text.find_last_not_of(' ') + 1);
        log.push_back(text);
        if (reply && replyLength > 0)
            reply[0] = '\0';
        std::string answer;
        const uint32_t code = run(split(text), answer);
        if (code == 0 && reply && replyLength > 0) {
            if (answer.size() >= replyLength)
                return 268;
            std::memcpy(reply, answer.c_str(), answer.size() + 1);
        }
        return code;
    }

    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        if (code == 0 || length == 0)
            return false;
        const std::string text = describe(code).substr(0, length - 1);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }

    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        const std::string path(longPath);
        if (!clips.count(path))
            return 0;
        if (path.size() + 1 > length)
            return static_cast<uint32_t>(path.size() + 1);
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<uint32_t>(path.size());
    }

    bool getWindowRect(int64_t windowHandle, zelko::platform::WindowRect& rect) override
    {
        const QWidget* widget = QWidget::find(static_cast<WId>(windowHandle));
        if (!widget)
            return false;
        const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        return true;
    }

private:
    static std::vector<std::string> split(const std::string& text)
    {
        std::istringstream in(text);
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        return words;
    }
    static std::string lower(std::string s)
    {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    bool isOpen(const std::string& alias) const { return device && lower(device->alias) == lower(alias); }
    int32_t toUnits(int32_t ms) const { return device->frames ? ms * device->clip.fps / 1000 : ms; }
    int32_t toMs(int32_t units) const { return device->frames ? units * 1000 / device->clip.fps : units; }

    uint32_t open(const std::vector<std::string>& w)
    {
        // "open <path> type <t> Alias <a> parent <h> Style <s>"; an empty short path leaves
        // "type" where the file belongs.
        if (w.size() < 2 || lower(w[1]) == "type" || !clips.count(w[1]))
            return 275;
        Device d;
        d.path = w[1];
        d.clip = clips[w[1]];
        for (size_t i = 2; i + 1 < w.size(); ++i) {
            if (lower(w[i]) == "alias")
                d.alias = w[i + 1];
            if (lower(w[i]) == "parent")
                d.parent = std::stoll(w[i + 1]);
        }
        if (device)
            return 289;
        device = d;
        return 0;
    }

    uint32_t run(const std::vector<std::string>& w, std::string& answer)
    {
        if (w.empty())
            return 267;
        const std::string verb = lower(w[0]);
        if (verb == "open")
            return open(w);
        if (verb == "close" && w.size() == 2 && lower(w[1]) == "all") {
            device.reset();
            return 0;
        }
        if (w.size() < 2 || !isOpen(w[1]))
            return 263;
        Device& d = *device;
        const int32_t length = toUnits(d.clip.lengthMs);
        if (verb == "close") {
            device.reset();
            return 0;
        }
        if (verb == "play") {
            int32_t from = toUnits(d.positionMs), to = length;
            for (size_t i = 2; i + 1 < w.size(); ++i) {
                if (lower(w[i]) == "from")
                    from = std::stoi(w[i + 1]);
                if (lower(w[i]) == "to")
                    to = std::stoi(w[i + 1]);
            }
            if (from > length || to > length || to < from || from < 0)
                return 282;
            d.positionMs = toMs(from);
            d.mode = "playing";
            return 0;
        }
        if (verb == "pause") {
            d.mode = "paused";
            return 0;
        }
        if (verb == "resume") {
            if (d.mode == "stopped")
                return 302;
            d.mode = "playing";
            return 0;
        }
        if (verb == "stop") {
            d.mode = "stopped";
            return 0;
        }
        if (verb == "seek" && w.size() == 4) {
            const int32_t to = std::stoi(w[3]);
            if (to > length || to < 0)
                return 282;
            d.positionMs = toMs(to);
            d.mode = "stopped";
            return 0;
        }
        if (verb == "set" && w.size() == 5 && lower(w[2]) == "time") {
            if (lower(w[4]) == "frames") {
                if (d.clip.fps == 0)
                    return 293;
                d.frames = true;
            } else {
                d.frames = false;
            }
            return 0;
        }
        if (verb == "set" && w.size() == 4 && lower(w[2]) == "speed") {
            const int32_t speed = std::stoi(w[3]);
            if (speed <= 0)
                return 282;
            d.speed = speed;
            return 0;
        }
        if (verb == "status" && w.size() == 3) {
            const std::string item = lower(w[2]);
            if (item == "length")
                answer = std::to_string(length);
            else if (item == "position")
                answer = std::to_string(toUnits(d.positionMs));
            else if (item == "speed")
                answer = std::to_string(d.speed);
            else if (item == "mode")
                answer = d.mode;
            else
                return 259;
            return 0;
        }
        if (verb == "where" || verb == "put") {
            if (d.clip.fps == 0)
                return 346;
            if (verb == "where")
                answer = "0 0 " + std::to_string(d.clip.cx) + " " + std::to_string(d.clip.cy);
            else
                d.window = w.size() == 8 ? w[4] + " " + w[5] + " " + w[6] + " " + w[7] : "";
            return 0;
        }
        return 261;
    }
};
