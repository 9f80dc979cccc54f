#pragma once

// A scripted stand-in for one MCI device, for the window tests whose figures must be exact
// (percentages, frame targets, command order). It keeps a log of the commands it was sent.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "media/mci_channel.h"

struct FakeClip {
    int32_t lengthMs = 2000;
    int32_t fps = 0;  // 0: audio only (no frames time format, no video window); else 320x240
};

// Commands are read case-blind, so clip paths are given in lower case.
class FakeDevice final : public MciChannel {
public:
    struct Device {
        std::string alias, path;
        FakeClip clip;
        bool frames = false;
        std::string mode = "stopped";
        int32_t positionMs = 0, speed = 1000;
    };
    std::map<std::string, FakeClip> clips;  // the files that exist, by path
    std::optional<Device> device;           // the one open device
    std::vector<std::string> log;           // every command, its padding removed
    std::function<void(const std::string&)> onSend;

    void runToEnd()
    {
        device->positionMs = device->clip.lengthMs;
        device->mode = "stopped";
    }
    void setPositionFrames(int32_t frame) { device->positionMs = frame * 1000 / device->clip.fps; }
    bool playing(const std::string& path) const { return device && device->path == path && device->mode == "playing"; }
    int count(const std::string& prefix) const
    {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t) override
    {
        log.emplace_back(command.substr(0, command.find_last_not_of(' ') + 1));
        if (onSend)
            onSend(log.back());
        std::istringstream in{std::string(command)};
        std::vector<std::string> w;
        for (std::string word; in >> word;) {
            std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
            w.push_back(word);
        }
        std::string answer;
        const uint32_t code = run(w, answer);
        if (reply && replyLength > 0)
            std::snprintf(reply, replyLength, "%s", answer.c_str());
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
    uint32_t run(const std::vector<std::string>& w, std::string& answer)
    {
        const auto at = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };
        const auto after = [&](const char* key, int32_t otherwise) {  // the number after a keyword
            const auto it = std::find(w.begin(), w.end(), key);
            return it != w.end() && it + 1 != w.end() ? std::stoi(*(it + 1)) : otherwise;
        };
        if (at(0) == "close" && at(1) == "all") {
            device.reset();
            return 0;
        }
        if (at(0) == "open") {
            if (!clips.count(at(1)))
                return 275;
            if (device)
                return 289;
            const auto alias = std::find(w.begin(), w.end(), "alias");
            device = Device{alias != w.end() ? *(alias + 1) : "", at(1), clips[at(1)]};
            return 0;
        }
        if (!device || at(1) != device->alias)
            return 263;
        Device& d = *device;
        const int32_t perSecond = d.frames ? d.clip.fps : 1000;
        const auto units = [&](int32_t ms) { return ms * perSecond / 1000; };
        const std::string& verb = w[0];
        if (verb == "play" || verb == "seek")  // "play" plays on from a seek's frame
            d.positionMs = after(verb == "play" ? "from" : "to", units(d.positionMs)) * 1000 / perSecond;
        if (verb == "close")
            device.reset();
        else if (verb == "play" || verb == "seek")
            d.mode = verb == "play" ? "playing" : "stopped";
        else if (verb == "pause" || verb == "stop" || verb == "resume")
            d.mode = verb == "pause" ? "paused" : verb == "stop" ? "stopped" : "playing";
        else if (verb == "set" && at(2) == "speed")
            d.speed = std::stoi(at(3));
        else if (verb == "set" && at(4) == "frames" && !d.clip.fps)
            return 293;
        else if (verb == "set")
            d.frames = at(4) == "frames";
        else if (verb == "status" && at(2) == "mode")
            answer = d.mode;
        else if (verb == "status" && (at(2) == "length" || at(2) == "position" || at(2) == "speed"))
            answer = std::to_string(at(2) == "speed" ? d.speed : units(at(2) == "length" ? d.clip.lengthMs : d.positionMs));
        else if ((verb == "where" || verb == "put") && !d.clip.fps)
            return 346;
        else if (verb == "where")
            answer = "0 0 320 240";
        else if (verb != "put")
            return 261;
        return 0;
    }
};
