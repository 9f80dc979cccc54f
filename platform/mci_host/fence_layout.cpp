// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/fence_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/utsname.h>

extern char** environ;

namespace zelko::mci::fence {

namespace fs = std::filesystem;

namespace {

constexpr std::array<SystemPath, 8> kSystemPaths{{
    {"/usr", true},
    {"/etc/ld.so.cache", false},
    {"/etc/alternatives", true},
    {"/etc/fonts", true},
    {"/etc/pulse", true},
    {"/etc/localtime", false},
    {"/var/cache/fontconfig", true},
    {"/sys/devices/system/cpu", true},
}};

constexpr std::array<const char*, 5> kDeviceFiles{"/dev/null", "/dev/zero", "/dev/full", "/dev/random", "/dev/urandom"};

// A sound folder holding more than this, or any socket but the server's, is not the server's own.
constexpr int kSoundFolderMostEntries = 64;

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

// The X server's socket for DISPLAY=[unix]:N[.S]; empty for a display reached over the network.
std::string displaySocketOf(const std::string& display)
{
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos) {
        return {};
    }
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix") {
        return {};
    }
    std::string number;
    for (size_t i = colon + 1; i < display.size() && std::isdigit(static_cast<unsigned char>(display[i])); ++i) {
        number += display[i];
    }
    return number.empty() ? std::string() : "/tmp/.X11-unix/X" + number;
}

std::string displayCookieOf(const Environment& environment)
{
    if (const std::string named = valueOf(environment, "XAUTHORITY"); !named.empty()) {
        return isRegularFile(named) ? named : std::string();
    }
    const std::string home = valueOf(environment, "HOME");
    return !home.empty() && isRegularFile(home + "/.Xauthority") ? home + "/.Xauthority" : std::string();
}

// The first Unix socket among the servers PULSE_SERVER lists ("{id}unix:/path tcp:host ...").
std::string namedSoundSocket(const std::string& servers)
{
    std::istringstream words(servers);
    std::string word;
    while (words >> word) {
        if (word.front() == '{') {
            const size_t close = word.find('}');
            word = close == std::string::npos ? std::string() : word.substr(close + 1);
        }
        if (word.rfind("unix:", 0) == 0) {
            word = word.substr(5);
        }
        if (!word.empty() && word.front() == '/') {
            return word;
        }
    }
    return {};
}

// True when `folder` holds nothing that is the user's but the sound server's files: no socket
// but `socket`, a few entries, and it is none of the folders everything else lives in.
bool holdsOnlyTheSoundServer(const fs::path& folder, const fs::path& socket, const Environment& environment)
{
    for (const std::string& broad :
         {std::string("/"), std::string("/tmp"), std::string("/var/tmp"), std::string("/run"), std::string("/var/run"),
          std::string("/run/user"), valueOf(environment, "XDG_RUNTIME_DIR"), valueOf(environment, "HOME")}) {
        std::error_code error;
        if (!broad.empty() && fs::equivalent(folder, broad, error)) {
            return false;
        }
    }
    std::error_code error;
    int entries = 0;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (++entries > kSoundFolderMostEntries) {
            return false;
        }
        std::error_code statError;
        if (it->is_socket(statError) && it->path() != socket) {
            return false;
        }
    }
    return !error;
}

std::string soundCookieOf(const Environment& environment)
{
    if (const std::string named = valueOf(environment, "PULSE_COOKIE"); !named.empty()) {
        return isRegularFile(named) ? named : std::string();
    }
    const std::string home = valueOf(environment, "HOME");
    std::string config = valueOf(environment, "XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) {
        config = home + "/.config";
    }
    for (const std::string& candidate :
         {config.empty() ? std::string() : config + "/pulse/cookie", home.empty() ? home : home + "/.pulse-cookie"}) {
        if (isRegularFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

void findSound(const Environment& environment, Session& session)
{
    if (const std::string servers = valueOf(environment, "PULSE_SERVER"); !servers.empty()) {
        session.soundSocket = namedSoundSocket(servers);
    } else {
        std::string folder = valueOf(environment, "PULSE_RUNTIME_PATH");
        if (folder.empty() && !valueOf(environment, "XDG_RUNTIME_DIR").empty()) {
            folder = valueOf(environment, "XDG_RUNTIME_DIR") + "/pulse";
            // The client library makes it the same way when it first looks for its server.
            ::mkdir(folder.c_str(), 0700);
        }
        session.soundSocket = folder.empty() ? std::string() : folder + "/native";
    }
    if (!session.soundSocket.empty()) {
        const fs::path socket(session.soundSocket);
        std::error_code error;
        if (fs::is_directory(socket.parent_path(), error) &&
            holdsOnlyTheSoundServer(socket.parent_path(), socket, environment)) {
            session.soundFolder = socket.parent_path();
        }
    }
    session.soundCookie = soundCookieOf(environment);
}

}  // namespace

Environment currentEnvironment()
{
    Environment environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos) {
            environment.emplace(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    return environment;
}

std::string valueOf(const Environment& environment, const std::string& name)
{
    const auto found = environment.find(name);
    return found != environment.end() ? found->second : std::string();
}

std::span<const SystemPath> systemPaths()
{
    return kSystemPaths;
}

std::span<const char* const> deviceFiles()
{
    return kDeviceFiles;
}

Session findSession(const Environment& environment)
{
    Session session;
    session.display = valueOf(environment, "DISPLAY");
    session.displaySocket = displaySocketOf(session.display);
    session.displayCookie = displayCookieOf(environment);
    findSound(environment, session);
    return session;
}

std::string userRegistry(const Environment& environment)
{
    for (const char* name : {"GST_REGISTRY_1_0", "GST_REGISTRY"}) {
        if (const std::string named = valueOf(environment, name); !named.empty()) {
            return isRegularFile(named) ? named : std::string();
        }
    }
    std::string cache = valueOf(environment, "XDG_CACHE_HOME");
    if (cache.empty() && !valueOf(environment, "HOME").empty()) {
        cache = valueOf(environment, "HOME") + "/.cache";
    }
    utsname machine{};
    if (cache.empty() || ::uname(&machine) != 0) {
        return {};
    }
    const std::string path = cache + "/gstreamer-1.0/registry." + machine.machine + ".bin";
    return isRegularFile(path) ? path : std::string();
}

std::vector<std::string> sanitizerFiles(const Environment& environment)
{
    std::vector<std::string> files;
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
        std::istringstream options(valueOf(environment, name));
        std::string option;
        while (std::getline(options, option, ':')) {
            if (option.rfind("suppressions=", 0) == 0 && isRegularFile(option.substr(13))) {
                files.push_back(option.substr(13));
            }
        }
    }
    return files;
}

}  // namespace zelko::mci::fence
