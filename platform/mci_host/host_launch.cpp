// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/host_launch.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace zelko::mci::fence {

namespace fs = std::filesystem;

namespace {

// Where the session's files appear inside the namespaces.
constexpr const char* kInside = "/run/zelko-host";
constexpr const char* kInsideDisplayCookie = "/run/zelko-host/Xauthority";
constexpr const char* kInsideSoundFolder = "/run/zelko-host/pulse";
constexpr const char* kInsideSoundCookie = "/run/zelko-host/pulse-cookie";

// The variables passed on as they are: the language of GStreamer's messages, the time zone of
// its log, its debug switches and plugin ranks (which tests and users set), and the sanitizer
// runtime's options in such builds.
constexpr const char* kPassedOn[] = {"LANG",          "LANGUAGE",           "TZ",
                                     "GST_DEBUG",     "GST_DEBUG_NO_COLOR", "GST_PLUGIN_FEATURE_RANK",
                                     "UBSAN_OPTIONS", "TSAN_OPTIONS"};

bool under(const std::string& path, const std::string& folder)
{
    return path.rfind(folder + "/", 0) == 0;
}

// The session's files as the host sees them: in namespaces at their places under kInside (the
// display's socket where the display's library looks for it), else where they are.
struct Places {
    std::string displayCookie;
    std::string soundSocket;
    std::string soundCookie;
};

Places placesFor(const Session& session, Fence fence, const std::string& runtime)
{
    Places places;
    const bool inside = fence == Fence::Namespaces;
    if (!session.displayCookie.empty()) {
        places.displayCookie = inside ? kInsideDisplayCookie : session.displayCookie;
    }
    if (!session.soundSocket.empty()) {
        const std::string name = fs::path(session.soundSocket).filename();
        places.soundSocket = inside ? std::string(kInsideSoundFolder) + "/" + name : session.soundSocket;
    }
    // Where there is no cookie the client library writes one; the runtime folder takes it.
    places.soundCookie = session.soundCookie.empty() ? runtime + "/pulse-cookie"
                         : inside                    ? kInsideSoundCookie
                                                     : session.soundCookie;
    return places;
}

std::vector<std::string> environmentFor(const HostRequest& request, const Places& places, const Session& session,
                                        const Environment& environment)
{
    const std::string& runtime = request.runtimeFolder;
    std::vector<std::string> out{"HOME=" + runtime,
                                 "XDG_RUNTIME_DIR=" + runtime,
                                 "XDG_CACHE_HOME=" + runtime + "/cache",
                                 "XDG_CONFIG_HOME=" + runtime + "/config",
                                 "TMPDIR=" + runtime,
                                 "GST_REGISTRY=" + hostRegistry(runtime),
                                 "PULSE_COOKIE=" + places.soundCookie};
    if (!session.display.empty()) {
        out.push_back("DISPLAY=" + session.display);
    }
    if (!places.displayCookie.empty()) {
        out.push_back("XAUTHORITY=" + places.displayCookie);
    }
    if (!places.soundSocket.empty()) {
        out.push_back("PULSE_SERVER=unix:" + places.soundSocket);
    }
    if (request.tracing) {
        out.push_back("ZELKO_MCI_TRACE=/proc/self/fd/" + std::to_string(kTraceFd));
    }
    for (const auto& [name, value] : environment) {
        const bool passed = std::find(std::begin(kPassedOn), std::end(kPassedOn), name) != std::end(kPassedOn);
        if (passed || name.rfind("LC_", 0) == 0) {
            out.push_back(name + "=" + value);
        }
    }
    // The leak checker stops the world with ptrace, which the host's fence refuses; the engine's
    // own tests check it for leaks in their process.
    if (const std::string asan = valueOf(environment, "ASAN_OPTIONS"); !asan.empty()) {
        out.push_back("ASAN_OPTIONS=" + asan + ":detect_leaks=0");
    }
    return out;
}

void add(std::vector<std::string>& arguments, std::initializer_list<std::string> more)
{
    arguments.insert(arguments.end(), more);
}

void addSystem(std::vector<std::string>& arguments)
{
    for (const SystemPath& path : systemPaths()) {
        add(arguments, {"--ro-bind-try", path.path, path.path});
    }
    for (const char* top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        std::error_code error;
        if (fs::is_symlink(top, error)) {
            add(arguments, {"--symlink", fs::read_symlink(top, error).string(), top});
        } else if (fs::is_directory(top, error)) {
            add(arguments, {"--ro-bind", top, top});
        }
    }
}

// The root: /usr and the few system files read-only, the top-level links into /usr as links,
// fresh /proc (of its own processes), /dev (null, zero, random ...), a read-only /tmp with the
// display's socket and /run with the session's files under kInside; the runtime folder writable.
void addRoot(std::vector<std::string>& arguments, const HostRequest& request, const Session& session,
             const Environment& environment)
{
    addSystem(arguments);
    add(arguments, {"--proc", "/proc", "--dev", "/dev", "--tmpfs", "/run", "--tmpfs", "/tmp"});
    if (std::error_code error; !session.displaySocket.empty() && fs::exists(session.displaySocket, error)) {
        add(arguments, {"--ro-bind", session.displaySocket, session.displaySocket});
    }
    add(arguments, {"--dir", kInside});
    if (!session.displayCookie.empty()) {
        add(arguments, {"--ro-bind", session.displayCookie, kInsideDisplayCookie});
    }
    if (!session.soundFolder.empty()) {
        add(arguments, {"--ro-bind", session.soundFolder, kInsideSoundFolder});
    } else if (std::error_code error; !session.soundSocket.empty() && fs::exists(session.soundSocket, error)) {
        add(arguments, {"--ro-bind", session.soundSocket,
                        std::string(kInsideSoundFolder) + "/" + fs::path(session.soundSocket).filename().string()});
    }
    if (!session.soundCookie.empty()) {
        add(arguments, {"--ro-bind", session.soundCookie, kInsideSoundCookie});
    }
    add(arguments, {"--bind", request.runtimeFolder, request.runtimeFolder});
    if (!under(request.program, "/usr")) {
        add(arguments, {"--ro-bind", request.program, request.program});
    }
    for (const std::string& file : sanitizerFiles(environment)) {
        add(arguments, {"--ro-bind", file, file});
    }
    add(arguments, {"--remount-ro", "/tmp", "--remount-ro", "/run", "--remount-ro", "/"});
}

}  // namespace

Fence wantedFence(const Environment& environment, std::string& why)
{
    if (valueOf(environment, "ZELKO_MCI_HOST_FENCE") == "landlock") {
        why = "ZELKO_MCI_HOST_FENCE=landlock";
        return Fence::Landlock;
    }
    if (bubblewrapProgram().empty()) {
        why = "bubblewrap (bwrap) is not installed";
        return Fence::Landlock;
    }
    return Fence::Namespaces;
}

std::string bubblewrapProgram()
{
    return ::access("/usr/bin/bwrap", X_OK) == 0 ? "/usr/bin/bwrap" : std::string();
}

HostPlan planHost(const HostRequest& request, const Session& session, const Environment& environment)
{
    HostPlan plan;
    const Places places = placesFor(session, request.fence, request.runtimeFolder);
    plan.environment = environmentFor(request, places, session, environment);
    if (request.fence == Fence::Namespaces) {
        plan.arguments = {bubblewrapProgram(),
                          "--unshare-all",
                          "--unshare-user",
                          "--disable-userns",
                          "--die-with-parent",
                          "--new-session",
                          "--as-pid-1",
                          "--cap-drop",
                          "ALL",
                          "--json-status-fd",
                          std::to_string(kStatusFd),
                          "--chdir",
                          "/"};
        addRoot(plan.arguments, request, session, environment);
        plan.arguments.push_back("--");
    } else {
        for (const std::string& socket : {session.displaySocket, session.soundSocket}) {
            if (!socket.empty()) {
                plan.connectable.push_back(socket);
            }
        }
    }
    add(plan.arguments, {request.program, "--socket", std::to_string(kSocketFd), "--runtime", request.runtimeFolder});
    if (request.fence == Fence::Namespaces) {
        add(plan.arguments, {"--fence", "namespaces"});
    } else {
        add(plan.arguments,
            {"--fence", "landlock", "--broker", std::to_string(kBrokerFd), "--why", request.whyNoNamespaces});
    }
    if (request.quiet) {
        plan.arguments.push_back("--quiet");
    }
    return plan;
}

std::string hostRegistry(const std::string& runtimeFolder)
{
    return runtimeFolder + "/gstreamer-registry.bin";
}

void seedHostRegistry(const std::string& runtimeFolder, const Environment& environment)
{
    std::error_code error;
    const std::string registry = hostRegistry(runtimeFolder);
    if (fs::exists(registry, error)) {
        return;
    }
    if (const std::string seed = userRegistry(environment); !seed.empty()) {
        fs::copy_file(seed, registry, error);
    }
}

}  // namespace zelko::mci::fence
