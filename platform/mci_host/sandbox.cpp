// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/sandbox.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/landlock.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef LANDLOCK_ACCESS_FS_REFER
#define LANDLOCK_ACCESS_FS_REFER (1ULL << 13)
#endif
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif

namespace zelko::mci {

namespace {

#if defined(__x86_64__)
constexpr uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t kAuditArch = 0;
#endif

// seccomp: socket() of any family but AF_UNIX fails with EACCES, and io_uring (which could
// open sockets without that call) is not there. Everything else passes.
bool refuseNetwork(std::string& why)
{
    if (kAuditArch == 0) {
        why = "no socket filter for this processor";
        return false;
    }
    const sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_io_uring_setup, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        // The family is the first argument; its low 32 bits are the int the call takes.
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EACCES),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]),
                      const_cast<sock_filter*>(program)};
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) {
        why = std::string("the socket filter was refused: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// The write rights Landlock knows at `abi`; reading and executing stay as they are.
uint64_t writeRights(int abi)
{
    uint64_t rights = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                      LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                      LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
                      LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2) {
        rights |= LANDLOCK_ACCESS_FS_REFER;
    }
    if (abi >= 3) {
        rights |= LANDLOCK_ACCESS_FS_TRUNCATE;
    }
    return rights;
}

bool allowBeneath(int ruleset, const char* path, uint64_t rights)
{
    const int folder = ::open(path, O_PATH | O_CLOEXEC | O_DIRECTORY);
    if (folder < 0) {
        return false;
    }
    landlock_path_beneath_attr rule{rights, folder};
    const bool added = ::syscall(__NR_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
    ::close(folder);
    return added;
}

bool refuseWrites(const std::string& runtimeFolder, std::string& why)
{
    const long abi = ::syscall(__NR_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) {
        why = std::string("the kernel has no Landlock (") + std::strerror(errno) + ")";
        return false;
    }
    const uint64_t rights = writeRights(static_cast<int>(abi));
    landlock_ruleset_attr attributes{};
    attributes.handled_access_fs = rights;
    const int ruleset = static_cast<int>(::syscall(__NR_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (ruleset < 0) {
        why = std::string("Landlock refused a rule set: ") + std::strerror(errno);
        return false;
    }
    bool done = allowBeneath(ruleset, runtimeFolder.c_str(), rights) && allowBeneath(ruleset, "/dev", rights);
    if (!done) {
        why = "the runtime folder " + runtimeFolder + " cannot be opened";
    } else if (::syscall(__NR_landlock_restrict_self, ruleset, 0) != 0) {
        why = std::string("Landlock refused the fence: ") + std::strerror(errno);
        done = false;
    }
    ::close(ruleset);
    return done;
}

}  // namespace

SandboxReport enterSandbox(const std::string& runtimeFolder)
{
    SandboxReport report;
    // Both need it from an unprivileged process; it also keeps set-user-id programs from
    // gaining anything if the host ever ran one.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        report.why = std::string("no_new_privs was refused: ") + std::strerror(errno);
        return report;
    }
    std::string networkWhy;
    std::string filesWhy;
    report.files = refuseWrites(runtimeFolder, filesWhy);
    report.network = refuseNetwork(networkWhy);
    report.why = networkWhy.empty() ? filesWhy : filesWhy.empty() ? networkWhy : networkWhy + "; " + filesWhy;
    return report;
}

}  // namespace zelko::mci
