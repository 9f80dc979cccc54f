// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/landlock_rules.h"

#include "platform/mci_host/fence_layout.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zelko::mci {

namespace {

// The rights by the Landlock version that brought them (the system's headers may be older
// than the kernel).
constexpr uint64_t kExecute = 1ULL << 0;
constexpr uint64_t kWriteFile = 1ULL << 1;
constexpr uint64_t kReadFile = 1ULL << 2;
constexpr uint64_t kReadDir = 1ULL << 3;
constexpr uint64_t kVersion1 = (1ULL << 13) - 1;  // execute ... make symbolic link
constexpr uint64_t kRefer = 1ULL << 13;           // version 2
constexpr uint64_t kTruncate = 1ULL << 14;        // version 3
constexpr uint64_t kIoctlDevice = 1ULL << 15;     // version 5
constexpr uint64_t kFileRights = kExecute | kWriteFile | kReadFile | kTruncate | kIoctlDevice;
constexpr uint64_t kBindTcp = 1ULL << 0;  // version 4: the network rights
constexpr uint64_t kConnectTcp = 1ULL << 1;
constexpr uint64_t kScopeAbstractUnixSocket = 1ULL << 0;  // version 6: the scopes
constexpr uint64_t kScopeSignal = 1ULL << 1;

// The rule set's attributes as the newest kernels read them; an older kernel accepts the
// longer form as long as what it does not know is zero.
struct RulesetAttributes {
    uint64_t handledFs;
    uint64_t handledNet;
    uint64_t scoped;
};

uint64_t handledFs(int version)
{
    return kVersion1 | (version >= 2 ? kRefer : 0) | (version >= 3 ? kTruncate : 0) | (version >= 5 ? kIoctlDevice : 0);
}

int threadCount()
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) {
        return -1;
    }
    int count = 0;
    while (const dirent* entry = ::readdir(tasks)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(tasks);
    return count;
}

class Ruleset {
public:
    Ruleset(int fd, uint64_t handled) : m_fd(fd), m_handled(handled) {}
    ~Ruleset() { ::close(m_fd); }

    // A missing path gets no rule: there is nothing there to read.
    void allow(const std::string& path, uint64_t rights)
    {
        const int target = ::open(path.c_str(), O_PATH | O_CLOEXEC);
        if (target < 0) {
            return;
        }
        struct stat facts {};
        const bool folder = ::fstat(target, &facts) == 0 && S_ISDIR(facts.st_mode);
        landlock_path_beneath_attr rule{(folder ? rights : rights & kFileRights) & m_handled, target};
        if (::syscall(SYS_landlock_add_rule, m_fd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0 && m_failed.empty()) {
            m_failed = path + ": " + std::strerror(errno);
        }
        ::close(target);
    }
    int fd() const { return m_fd; }
    const std::string& failed() const { return m_failed; }

private:
    int m_fd;
    uint64_t m_handled;
    std::string m_failed;
};

}  // namespace

int applyLandlock(const LandlockRules& rules, std::string& why)
{
    const long version = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (version < 1) {
        why = std::string("the kernel has no Landlock (") + std::strerror(errno) + ")";
        return 0;
    }
    if (const int threads = threadCount(); threads != 1) {
        why = "Landlock would fence one thread of " + std::to_string(threads);
        return 0;
    }
    const int abi = static_cast<int>(version);
    const uint64_t handled = handledFs(abi);
    const RulesetAttributes attributes{handled, abi >= 4 ? kBindTcp | kConnectTcp : 0,
                                       abi >= 6 ? kScopeAbstractUnixSocket | kScopeSignal : 0};
    const int fd = static_cast<int>(::syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (fd < 0) {
        why = std::string("Landlock refused a rule set: ") + std::strerror(errno);
        return 0;
    }
    Ruleset ruleset(fd, handled);
    const uint64_t read = kReadFile | kReadDir | kExecute;
    for (const fence::SystemPath& path : fence::systemPaths()) {
        ruleset.allow(path.path, read);
    }
    for (const char* device : fence::deviceFiles()) {
        ruleset.allow(device, kReadFile | kWriteFile | kTruncate);
    }
    for (const std::string& file : rules.readableFiles) {
        ruleset.allow(file, kReadFile);
    }
    ruleset.allow(rules.runtimeFolder, handled);
    if (!ruleset.failed().empty()) {
        why = "Landlock refused a rule for " + ruleset.failed();
        return 0;
    }
    if (::syscall(SYS_landlock_restrict_self, ruleset.fd(), 0) != 0) {
        why = std::string("Landlock refused the fence: ") + std::strerror(errno);
        return 0;
    }
    return abi;
}

}  // namespace zelko::mci
