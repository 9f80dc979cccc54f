// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/short_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace zelko::platform {
namespace {

// Characters that would split a path in a command, or start a quoted token there.
bool splitsCommand(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '"';
}

// The opening command holds its path in a 255-character buffer next to about 60 characters of
// its own, so a long path is linked too: cut, it could name another file.
constexpr std::size_t kLongestKeptPath = 128;

bool splitsAnywhere(const std::string& path)
{
    for (char c : path) {
        if (splitsCommand(c)) {
            return true;
        }
    }
    return false;
}

bool needsLink(const std::string& path)
{
    return path.size() > kLongestKeptPath || splitsAnywhere(path);
}

// The file's extension (with its dot), so the link still tells the file's type; empty when the
// name has none or the extension itself holds a character that would split the command.
std::string extensionOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1)) {
        return {};
    }
    std::string extension = path.substr(dot);
    if (extension.size() > 16 || splitsAnywhere(extension)) {
        return {};
    }
    return extension;
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    std::vector<char> cwd(PATH_MAX);
    if (!::getcwd(cwd.data(), cwd.size())) {
        return {};
    }
    return std::string(cwd.data()) + "/" + path;
}

// The links made for this process, in a private folder made on first use and removed, with the
// links, when the process exits. Guarded by a mutex: any thread may ask for a short path.
class LinkFolder {
public:
    static LinkFolder& instance()
    {
        static LinkFolder* folder = new LinkFolder;  // kept alive until the atexit clean-up
        return *folder;
    }

    // A blank-free link to `target` (an absolute path); empty when none could be made.
    std::string linkTo(const std::string& target)
    {
        std::lock_guard lock(m_mutex);
        auto known = m_links.find(target);
        if (known != m_links.end() && pointsTo(known->second, target)) {
            return known->second;
        }
        if (m_folder.empty() && !makeFolder()) {
            return {};
        }
        std::string link = m_folder + "/" + std::to_string(++m_count) + extensionOf(target);
        if (::symlink(target.c_str(), link.c_str()) != 0) {
            return {};
        }
        m_links[target] = link;
        return link;
    }

private:
    LinkFolder() = default;

    static bool pointsTo(const std::string& link, const std::string& target)
    {
        std::vector<char> buffer(target.size() + 2);
        ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
        return length >= 0 && std::string(buffer.data(), static_cast<std::size_t>(length)) == target;
    }

    bool makeFolder()
    {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        for (std::string base : {std::string(runtime ? runtime : ""), std::string("/tmp")}) {
            if (base.empty() || base.front() != '/' || splitsAnywhere(base) || base.size() > 64) {
                continue;
            }
            std::string pattern = base + "/zelko-links-" + std::to_string(::getpid()) + "-XXXXXX";
            if (::mkdtemp(pattern.data())) {  // mkdtemp makes the folder with mode 0700
                m_folder = pattern;
                m_owner = ::getpid();
                std::atexit(&LinkFolder::removeAtExit);
                return true;
            }
        }
        return false;
    }

    static void removeAtExit()
    {
        LinkFolder& folder = instance();
        std::lock_guard lock(folder.m_mutex);
        if (folder.m_owner != ::getpid()) {
            return;  // a forked child leaves its parent's links alone
        }
        for (const auto& [target, link] : folder.m_links) {
            ::unlink(link.c_str());
        }
        ::rmdir(folder.m_folder.c_str());
    }

    std::mutex m_mutex;
    std::string m_folder;
    std::map<std::string, std::string> m_links;  // target -> link
    unsigned m_count = 0;
    pid_t m_owner = 0;
};

}  // namespace

uint32_t getShortPathName(const std::string& longPath, char* buffer, uint32_t length)
{
    struct stat info {};
    if (longPath.empty() || longPath.find('\0') != std::string::npos || ::stat(longPath.c_str(), &info) != 0) {
        return 0;
    }
    std::string shortPath = longPath;
    if (needsLink(longPath)) {
        std::string target = absolutePath(longPath);
        shortPath = target.empty() ? std::string() : LinkFolder::instance().linkTo(target);
        if (shortPath.empty()) {
            return 0;
        }
    }
    if (shortPath.size() >= UINT32_MAX) {
        return 0;
    }
    uint32_t size = static_cast<uint32_t>(shortPath.size());
    if (!buffer || length <= size) {
        return size + 1;
    }
    std::memcpy(buffer, shortPath.c_str(), size + 1);
    return size;
}

}  // namespace zelko::platform
