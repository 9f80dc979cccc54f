// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/sandbox.h"

#include "platform/mci_host/fence_layout.h"
#include "platform/mci_host/landlock_rules.h"
#include "platform/mci_host/seccomp_filter.h"

#include <cerrno>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELKO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZELKO_SANITIZED 1
#endif
#endif

namespace zelko::mci {

namespace {

void addWhy(std::string& why, const std::string& more)
{
    if (!more.empty()) {
        why += (why.empty() ? "" : "; ") + more;
    }
}

// The memory limit, and no core file (a crashing decoder would write one where it stands).
uint64_t setLimits(std::string& why)
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
#ifdef ZELKO_SANITIZED
    // The sanitizer's shadow memory is data too, terabytes of it.
    why = "no memory limit in a sanitizer build";
    return 0;
#else
    const rlimit data{kDataLimit, kDataLimit};
    if (::setrlimit(RLIMIT_DATA, &data) != 0) {
        why = std::string("no memory limit: ") + std::strerror(errno);
        return 0;
    }
    return kDataLimit;
#endif
}

// The files the display's and sound server's libraries read, as the window named them.
std::vector<std::string> cookieFiles()
{
    const fence::Environment environment = fence::currentEnvironment();
    std::vector<std::string> files = fence::sanitizerFiles(environment);
    for (const char* name : {"XAUTHORITY", "PULSE_COOKIE"}) {
        if (const std::string file = fence::valueOf(environment, name); !file.empty()) {
            files.push_back(file);
        }
    }
    return files;
}

}  // namespace

SandboxReport enterSandbox(const SandboxOptions& options)
{
    SandboxReport report;
    // Landlock and seccomp need it from an unprivileged process; it also keeps set-user-id
    // programs from gaining anything.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        report.why = std::string("no_new_privs was refused: ") + std::strerror(errno);
        return report;
    }
    std::string limitsWhy;
    report.dataLimit = setLimits(limitsWhy);
    std::string landlockWhy;
    report.landlock = applyLandlock({options.runtimeFolder, cookieFiles()}, landlockWhy);
    std::string seccompWhy;
    report.seccomp = installSeccompFilter({options.brokerFd}, seccompWhy);
    addWhy(report.why, seccompWhy);
    addWhy(report.why, landlockWhy);
    addWhy(report.why, limitsWhy);
    return report;
}

std::string describeFence(const SandboxReport& report, bool namespaces, const std::string& whyNoNamespaces)
{
    std::string line = "zelko-mci-host: fenced in ";
    line += namespaces ? "its own namespaces (bubblewrap), " : "";
    line += report.landlock > 0 ? "Landlock " + std::to_string(report.landlock) + ", " : "";
    line += report.seccomp ? "a system-call allow-list, " : "";
    line += "no new privileges";
    if (report.dataLimit > 0) {
        line += ", " + std::to_string(report.dataLimit >> 20) + " MiB of data";
    }
    if (!namespaces) {
        line += "; no namespaces: " + whyNoNamespaces;
    }
    if (!report.why.empty()) {
        line += "; missing: " + report.why;
    }
    return line;
}

}  // namespace zelko::mci
