// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/seccomp_filter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <span>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <termios.h>
#include <ucontext.h>
#include <unistd.h>
#include <vector>

#ifndef PR_SET_VMA
#define PR_SET_VMA 0x53564d41
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

// x86-64's calls with this bit set are x32's, a second system-call table beside the first.
constexpr uint32_t kX32Bit = 0x40000000;
constexpr uint32_t kNamespaceFlags =
    CLONE_NEWNS | CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET | CLONE_NEWIPC | CLONE_NEWUTS | CLONE_NEWCGROUP;

// What GStreamer, its plugins, GLib, the X and sound-server client libraries and the C library
// call once the host is running (traced during playback of every offered kind, video drawn
// into X, sound through PulseAudio), by kind. The kernel remembers which calls a filter allows
// whatever their arguments, so these cost nothing after their first use.
const int kFiles[] = {SYS_read,       SYS_write,      SYS_readv,     SYS_writev,    SYS_pread64,   SYS_pwrite64,
                      SYS_preadv,     SYS_pwritev,    SYS_lseek,     SYS_close,     SYS_openat,    SYS_newfstatat,
                      SYS_fstat,      SYS_statx,      SYS_fstatfs,   SYS_statfs,    SYS_faccessat, SYS_faccessat2,
                      SYS_readlinkat, SYS_getdents64, SYS_getcwd,    SYS_dup,       SYS_dup3,      SYS_close_range,
                      SYS_fcntl,      SYS_flock,      SYS_mkdirat,   SYS_unlinkat,  SYS_renameat,  SYS_renameat2,
                      SYS_linkat,     SYS_umask,      SYS_ftruncate, SYS_fallocate, SYS_fsync,     SYS_fdatasync,
                      SYS_fchmod,     SYS_fchmodat};
const int kWaiting[] = {SYS_futex,           SYS_ppoll,          SYS_pselect6,        SYS_epoll_create1,
                        SYS_epoll_ctl,       SYS_epoll_pwait,    SYS_epoll_pwait2,    SYS_eventfd2,
                        SYS_pipe2,           SYS_timerfd_create, SYS_timerfd_settime, SYS_timerfd_gettime,
                        SYS_clock_nanosleep, SYS_nanosleep,      SYS_clock_gettime,   SYS_clock_getres,
                        SYS_gettimeofday,    SYS_times,          SYS_sched_yield};
const int kMemory[] = {SYS_mmap,       SYS_mprotect,     SYS_munmap,        SYS_madvise,      SYS_brk,
                       SYS_mremap,     SYS_mlock,        SYS_munlock,       SYS_mincore,      SYS_msync,
                       SYS_membarrier, SYS_memfd_create, SYS_get_mempolicy, SYS_set_mempolicy};
// On sockets the filter lets the host have (below): the display's and the sound server's.
const int kSockets[] = {SYS_recvmsg,  SYS_recvfrom,    SYS_sendto,      SYS_sendmsg,    SYS_sendmmsg,  SYS_recvmmsg,
                        SYS_shutdown, SYS_getsockname, SYS_getpeername, SYS_getsockopt, SYS_setsockopt};
const int kThreads[] = {SYS_rseq,
                        SYS_set_robust_list,
                        SYS_get_robust_list,
                        SYS_rt_sigprocmask,
                        SYS_rt_sigaction,
                        SYS_rt_sigreturn,
                        SYS_rt_sigtimedwait,
                        SYS_rt_sigpending,
                        SYS_sigaltstack,
                        SYS_restart_syscall,
                        SYS_sched_getaffinity,
                        SYS_sched_getattr,
                        SYS_sched_setattr,
                        SYS_sched_getparam,
                        SYS_sched_getscheduler,
                        SYS_sched_setscheduler,
                        SYS_sched_get_priority_max,
                        SYS_sched_get_priority_min,
                        SYS_getpriority,
                        SYS_setpriority,
                        SYS_exit,
                        SYS_exit_group};
const int kFacts[] = {SYS_getpid, SYS_gettid,  SYS_getppid,   SYS_getuid,    SYS_geteuid,
                      SYS_getgid, SYS_getegid, SYS_getresuid, SYS_getresgid, SYS_getgroups,
                      SYS_uname,  SYS_sysinfo, SYS_getrusage, SYS_getrandom};

// Calls that reach outside the process or change what fences it: a host that makes one has been
// taken over, and is killed on the spot.
const int kOutside[] = {SYS_ptrace,
                        SYS_process_vm_readv,
                        SYS_process_vm_writev,
                        SYS_execve,
                        SYS_execveat,
                        SYS_pidfd_open,
                        SYS_pidfd_getfd,
                        SYS_pidfd_send_signal,
                        SYS_process_madvise,
                        SYS_open_by_handle_at,
                        SYS_name_to_handle_at,
                        SYS_bpf,
                        SYS_userfaultfd,
                        SYS_perf_event_open,
                        SYS_keyctl,
                        SYS_add_key,
                        SYS_request_key,
                        SYS_io_uring_setup,
                        SYS_io_uring_enter,
                        SYS_io_uring_register};
const int kFenceChanging[] = {SYS_unshare,     SYS_setns,         SYS_mount,         SYS_umount2,     SYS_pivot_root,
                              SYS_chroot,      SYS_move_mount,    SYS_fsopen,        SYS_fsmount,     SYS_fspick,
                              SYS_open_tree,   SYS_mount_setattr, SYS_seccomp,       SYS_personality, SYS_kexec_load,
                              SYS_init_module, SYS_finit_module,  SYS_delete_module, SYS_quotactl,    SYS_acct,
                              SYS_swapon,      SYS_swapoff,       SYS_reboot,        SYS_syslog,      SYS_vhangup};

// x86-64's older calls: the first the C library still makes, the second the kernel's oldest
// ways out (new processes without clone's flags, port input and output, old libraries).
#if defined(__x86_64__)
const std::vector<int> kFilesOlder = {SYS_poll,   SYS_open,     SYS_stat,  SYS_lstat, SYS_access,    SYS_pipe,
                                      SYS_select, SYS_dup2,     SYS_mkdir, SYS_rmdir, SYS_unlink,    SYS_rename,
                                      SYS_link,   SYS_readlink, SYS_chmod, SYS_time,  SYS_getrlimit, SYS_epoll_wait};
const std::vector<int> kOutsideOlder = {SYS_fork, SYS_vfork, SYS_iopl, SYS_ioperm, SYS_uselib, SYS_modify_ldt};
#else
const std::vector<int> kFilesOlder;
const std::vector<int> kOutsideOlder;
#endif

uint32_t argument(int index, bool high = false)
{
    return offsetof(seccomp_data, args) + 8 * index + (high ? 4 : 0);
}

sock_filter load(uint32_t offset)
{
    return BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset);
}

sock_filter ret(uint32_t action)
{
    return BPF_STMT(BPF_RET | BPF_K, action);
}

sock_filter jeq(uint32_t value, uint8_t ifTrue, uint8_t ifFalse)
{
    return BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, value, ifTrue, ifFalse);
}

sock_filter jset(uint32_t bits, uint8_t ifTrue, uint8_t ifFalse)
{
    return BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, bits, ifTrue, ifFalse);
}

uint32_t refuse(int error)
{
    return SECCOMP_RET_ERRNO | static_cast<uint32_t>(error);
}

// Allowed when argument `index` is one of `values`, else refused with `error`.
std::vector<sock_filter> argumentIn(int index, std::initializer_list<uint32_t> values, int error)
{
    std::vector<sock_filter> body{load(argument(index))};
    uint8_t left = static_cast<uint8_t>(values.size());
    for (const uint32_t value : values) {
        body.push_back(jeq(value, left--, 0));
    }
    body.push_back(ret(refuse(error)));
    body.push_back(ret(SECCOMP_RET_ALLOW));
    return body;
}

// socket() and socketpair(): Unix stream sockets, the only kind the display's and sound
// server's libraries open (a datagram socket could send to any named socket).
std::vector<sock_filter> unixStreamOnly()
{
    return {load(argument(0)),
            jeq(AF_UNIX, 0, 4),
            load(argument(1)),
            BPF_STMT(BPF_ALU | BPF_AND | BPF_K, ~static_cast<uint32_t>(SOCK_NONBLOCK | SOCK_CLOEXEC)),
            jeq(SOCK_STREAM, 0, 1),
            ret(SECCOMP_RET_ALLOW),
            ret(refuse(EACCES))};
}

// clone(): threads, and no namespaces with them; no new processes.
std::vector<sock_filter> threadsOnly()
{
    return {load(argument(0)), jset(CLONE_THREAD, 0, 2), jset(kNamespaceFlags, 1, 0), ret(SECCOMP_RET_ALLOW),
            ret(refuse(EPERM))};
}

// prlimit64(): reading the process's own limits, never setting them.
std::vector<sock_filter> readOwnLimits()
{
    return {load(argument(0)),       jeq(0, 0, 5), load(argument(2)),      jeq(0, 0, 3),
            load(argument(2, true)), jeq(0, 0, 1), ret(SECCOMP_RET_ALLOW), ret(refuse(EPERM))};
}

class Program {
public:
    explicit Program(uint32_t connectAction)
    {
        // Another processor's calls and x32's are not this list's: such a call kills the host.
        m_code = {load(offsetof(seccomp_data, arch)),
                  jeq(kAuditArch, 1, 0),
                  ret(SECCOMP_RET_KILL_PROCESS),
                  load(offsetof(seccomp_data, nr)),
                  BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, kX32Bit, 0, 1),
                  ret(SECCOMP_RET_KILL_PROCESS)};
        for (const std::span<const int> calls :
             {std::span<const int>(kFiles), std::span<const int>(kWaiting), std::span<const int>(kMemory),
              std::span<const int>(kSockets), std::span<const int>(kThreads), std::span<const int>(kFacts),
              std::span<const int>(kFilesOlder)}) {
            for (const int call : calls) {
                on(call, SECCOMP_RET_ALLOW);
            }
        }
        const uint32_t self = static_cast<uint32_t>(::getpid());
        on(SYS_connect, connectAction);
        block(SYS_socket, unixStreamOnly());
        block(SYS_socketpair, unixStreamOnly());
        block(SYS_clone, threadsOnly());
        block(SYS_kill, argumentIn(0, {self}, EPERM));
        block(SYS_tgkill, argumentIn(0, {self}, EPERM));
        block(SYS_prctl,
              argumentIn(0, {PR_SET_NAME, PR_GET_NAME, PR_CAPBSET_READ, PR_GET_DUMPABLE, PR_SET_VMA}, EINVAL));
        block(SYS_ioctl, argumentIn(1, {TCGETS, FIONREAD, FIONBIO, FIOCLEX, FIONCLEX}, ENOTTY));
        block(SYS_prlimit64, readOwnLimits());
        // glibc tries clone3 first and falls back to clone, whose flags the filter can read.
        on(SYS_clone3, refuse(ENOSYS));
        // System V shared memory lives in the IPC namespace, which the X server does not share.
        // The X image sinks get memfd segments from the host's own program instead
        // (shared_images.cpp), so these calls are never made on their behalf.
        for (const int call : {SYS_shmget, SYS_shmat, SYS_shmdt, SYS_shmctl}) {
            on(call, refuse(EPERM));
        }
        for (const std::span<const int> calls : {std::span<const int>(kOutside), std::span<const int>(kFenceChanging),
                                                 std::span<const int>(kOutsideOlder)}) {
            for (const int call : calls) {
                on(call, SECCOMP_RET_KILL_PROCESS);
            }
        }
        m_code.push_back(ret(SECCOMP_RET_TRAP));
    }

    sock_fprog program() { return {static_cast<unsigned short>(m_code.size()), m_code.data()}; }

private:
    void on(int call, uint32_t action)
    {
        m_code.push_back(jeq(static_cast<uint32_t>(call), 0, 1));
        m_code.push_back(ret(action));
    }
    // The body returns on every path.
    void block(int call, const std::vector<sock_filter>& body)
    {
        m_code.push_back(jeq(static_cast<uint32_t>(call), 0, static_cast<uint8_t>(body.size())));
        m_code.insert(m_code.end(), body.begin(), body.end());
    }

    std::vector<sock_filter> m_code;
};

constexpr int kCallsTold = 1024;
std::atomic<bool> g_told[kCallsTold];

// Runs on the thread that made a call the list does not name: it fails with ENOSYS, and the
// first time for each call the log says which.
void onRefusedCall(int, siginfo_t* info, void* context)
{
    const int call = info->si_syscall;
    if (call >= 0 && call < kCallsTold && !g_told[call].exchange(true)) {
        char line[64] = "zelko-mci-host: refused system call ";
        size_t length = std::strlen(line);
        char digits[12];
        int count = 0;
        for (unsigned value = static_cast<unsigned>(call); count == 0 || value != 0; value /= 10) {
            digits[count++] = static_cast<char>('0' + value % 10);
        }
        while (count > 0) {
            line[length++] = digits[--count];
        }
        line[length++] = '\n';
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
    }
    auto* state = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    state->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
#elif defined(__aarch64__)
    state->uc_mcontext.regs[0] = static_cast<uint64_t>(-ENOSYS);
#endif
}

long install(uint32_t connectAction, unsigned flags)
{
    Program program(connectAction);
    sock_fprog code = program.program();
    return ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, flags, &code);
}

bool handOver(int listener, int brokerFd)
{
    char data = 'L';
    iovec part{&data, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &listener, sizeof(int));
    return ::sendmsg(brokerFd, &message, MSG_NOSIGNAL) == 1;
}

}  // namespace

bool installSeccompFilter(const SeccompFilter& filter, std::string& why)
{
    if (kAuditArch == 0) {
        why = "no system-call filter for this processor";
        return false;
    }
    struct sigaction action {};
    action.sa_sigaction = onRefusedCall;
    action.sa_flags = SA_SIGINFO;
    ::sigaction(SIGSYS, &action, nullptr);
    if (filter.brokerFd < 0) {
        if (install(SECCOMP_RET_ALLOW, SECCOMP_FILTER_FLAG_TSYNC) != 0) {
            why = std::string("the system-call filter was refused: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    const long listener = install(SECCOMP_RET_USER_NOTIF, SECCOMP_FILTER_FLAG_TSYNC | SECCOMP_FILTER_FLAG_NEW_LISTENER |
                                                              SECCOMP_FILTER_FLAG_TSYNC_ESRCH);
    if (listener >= 0) {
        const bool handed = handOver(static_cast<int>(listener), filter.brokerFd);
        ::close(static_cast<int>(listener));
        if (!handed) {
            why = "the window took no broker for connect(); the host reaches neither display nor sound";
        }
        return true;
    }
    // A kernel without listeners (before 5.7): nothing can check where connect() goes, so it
    // goes nowhere.
    why = std::string("no broker for connect() (") + std::strerror(errno) +
          "): the host reaches neither display nor sound";
    if (install(refuse(EACCES), SECCOMP_FILTER_FLAG_TSYNC) != 0) {
        why = std::string("the system-call filter was refused: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace zelko::mci
