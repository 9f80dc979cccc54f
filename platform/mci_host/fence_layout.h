// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

namespace zelko::mci::fence {

// What the engine host's world holds, said once for both fences: the paths bound read-only into
// its namespaces are the paths its Landlock rules let it read where there are no namespaces.

using Environment = std::map<std::string, std::string>;
// The calling process's environment.
Environment currentEnvironment();
// The value of `name`, empty when unset.
std::string valueOf(const Environment& environment, const std::string& name);

// A system path the host reads and never writes.
struct SystemPath {
    const char* path;
    bool folder;
};
// What GStreamer and the libraries under it read: programs, libraries and plugins, fonts, the
// General MIDI sound font (all under /usr), the dynamic loader's cache, the font settings and
// cache, the sound server's client settings, the time zone and the processor count.
std::span<const SystemPath> systemPaths();
// The devices it opens: /dev/null and its kin, and the random sources.
std::span<const char* const> deviceFiles();

// What of the user's session the host reaches, found from the window's environment. Empty
// strings where there is none.
struct Session {
    std::string display;        // DISPLAY as given
    std::string displaySocket;  // the X server's Unix socket, when DISPLAY names a local server
    std::string displayCookie;  // the Xauthority file
    std::string soundSocket;    // the sound server's native socket (it need not exist yet)
    // The folder that holds the sound socket, bound in its place so that a server that starts
    // again (a new socket) is still reached; empty where that folder holds anything else of the
    // user's, and the socket alone is bound.
    std::string soundFolder;
    std::string soundCookie;  // the sound server's cookie file
};
// Reads the session from `environment`. Where no sound server is named, the default socket's
// folder under the runtime folder is made as the sound server's own client would make it, so
// a server started later is reached.
Session findSession(const Environment& environment);

// The user's GStreamer registry, which a host's own registry starts as a copy of; empty when
// there is none.
std::string userRegistry(const Environment& environment);

// The files a sanitizer build's runtime is told to read (suppressions= in *SAN_OPTIONS).
std::vector<std::string> sanitizerFiles(const Environment& environment);

}  // namespace zelko::mci::fence
