// SPDX-License-Identifier: GPL-3.0-or-later
// Engine figures on the bench media (ZELKO_BENCH_MEDIA names the file; bench/run sets it): the
// `status position` round trip, through sendString in process and through the engine host the
// window uses, open-to-playing latency, and what each layer of the host's fence costs at its
// start.
#include "channels/host_channel.h"
#include "platform/mci/engine.h"
#include "platform/mci_host/host_launch.h"
#include "platform/mci_host/landlock_rules.h"
#include "platform/mci_host/sandbox.h"
#include "platform/mci_host/seccomp_filter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zelko {

namespace {

std::string mediaFile()
{
    const char* file = std::getenv("ZELKO_BENCH_MEDIA");
    return file != nullptr ? file : "";
}

bool send(zelko::mci::Engine& engine, const std::string& command, char* reply = nullptr, uint32_t length = 0)
{
    return engine.sendString(command, reply, length, 0) == 0;
}

// The media layer asks this every 100 ms while a file plays: it must stay cheap.
void BM_StatusPositionWhilePlaying(benchmark::State& state)
{
    zelko::mci::Engine engine;
    if (!send(engine, "open \"" + mediaFile() + "\" alias bench") || !send(engine, "play bench")) {
        state.SkipWithError("cannot open the bench media (set ZELKO_BENCH_MEDIA)");
        return;
    }
    char reply[128];
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.sendString("status bench position", reply, sizeof reply, 0));
    }
    send(engine, "close bench");
}
BENCHMARK(BM_StatusPositionWhilePlaying)->Repetitions(5)->ReportAggregatesOnly(true);

// The application whose event loop the host channel's answers come from: made once.
void needApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "mci_bench";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
}

// One command through the host channel, as the window sends it: the answer comes from the event
// loop, which runs until it has.
uint32_t sendThroughHost(zelko::channels::HostChannel& channel, const std::string& command, uint32_t replyLength)
{
    needApplication();
    std::optional<uint32_t> code;
    channel.send(command, replyLength, [&code](uint32_t answered, std::string_view) { code = answered; });
    while (!code) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return *code;
}

// The same question as the window asks it, through the channel to zelko-mci-host: over the
// socket and back, the answer read from the event loop, or, once the playing position has
// settled, from the state the host publishes, inside the call.
void BM_StatusPositionThroughTheHost(benchmark::State& state)
{
    needApplication();
    zelko::channels::HostChannel channel(ZELKO_MCI_HOST);
    const std::string open = "open \"" + mediaFile() + "\" alias bench";
    if (sendThroughHost(channel, open, 0) != 0 || sendThroughHost(channel, "play bench", 0) != 0) {
        state.SkipWithError("cannot open the bench media (set ZELKO_BENCH_MEDIA)");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(sendThroughHost(channel, "status bench position", 128));
    }
    sendThroughHost(channel, "close bench", 0);
}
BENCHMARK(BM_StatusPositionThroughTheHost)->Repetitions(5)->ReportAggregatesOnly(true);

// From sending open to the position moving: preroll, play and the first frames.
void BM_OpenToPlaying(benchmark::State& state)
{
    zelko::mci::Engine engine;
    const std::string open = "open \"" + mediaFile() + "\" alias bench";
    char reply[128];
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!send(engine, open) || !send(engine, "play bench")) {
            state.SkipWithError("cannot open the bench media (set ZELKO_BENCH_MEDIA)");
            return;
        }
        const auto deadline = start + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (engine.sendString("status bench position", reply, sizeof reply, 0) == 0 && std::atoll(reply) > 0) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        send(engine, "close bench");
    }
}
BENCHMARK(BM_OpenToPlaying)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// From starting a host to its hello and a first answer: in its namespaces (argument 0) or in the
// fence without them (1). A new channel each time, so a new runtime folder and registry copy.
void BM_HostStartToHello(benchmark::State& state)
{
    if (state.range(0) == 1) {
        ::setenv("ZELKO_MCI_HOST_FENCE", "landlock", 1);
    }
    char reply[128];
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        needApplication();
        zelko::channels::HostChannel channel(ZELKO_MCI_HOST);
        sendThroughHost(channel, "status nothing mode", sizeof reply);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    ::unsetenv("ZELKO_MCI_HOST_FENCE");
}
BENCHMARK(BM_HostStartToHello)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The host's own part of its fence, entered in a child, whole (argument 0: no new privileges,
// the limits, Landlock and the filter) and by layer: the Landlock rules alone (1), the filter
// alone (2). What a host without them would save at its start.
void BM_FenceLayer(benchmark::State& state)
{
    const std::filesystem::path runtime = std::filesystem::temp_directory_path() / "zelko-bench-sandbox";
    std::filesystem::create_directories(runtime);
    const int layer = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
            std::string why;
            const auto start = std::chrono::steady_clock::now();
            if (layer == 0) {
                zelko::mci::enterSandbox({runtime.string(), -1});
            } else if (layer == 1) {
                zelko::mci::applyLandlock({runtime.string(), {}}, why);
            } else {
                zelko::mci::installSeccompFilter({}, why);
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            [[maybe_unused]] const ssize_t written = ::write(pipe[1], &seconds, sizeof seconds);
            ::_exit(0);
        }
        ::close(pipe[1]);
        double seconds = 0;
        [[maybe_unused]] const ssize_t count = ::read(pipe[0], &seconds, sizeof seconds);
        ::close(pipe[0]);
        ::waitpid(child, nullptr, 0);
        state.SetIterationTime(seconds);
    }
    std::filesystem::remove_all(runtime);
}
BENCHMARK(BM_FenceLayer)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// bubblewrap alone: the namespaces and the root the window asks of it, around /usr/bin/true
// in the host's place, from its start to its end.
void BM_BubblewrapAlone(benchmark::State& state)
{
    namespace fence = zelko::mci::fence;
    const std::filesystem::path runtime = std::filesystem::temp_directory_path() / "zelko-bench-bubblewrap";
    std::filesystem::create_directories(runtime);
    const fence::Environment environment = fence::currentEnvironment();
    fence::HostRequest request;
    request.program = "/usr/bin/true";
    request.runtimeFolder = runtime.string();
    const fence::HostPlan plan = fence::planHost(request, fence::findSession(environment), environment);
    std::vector<char*> arguments;
    for (const std::string& argument : plan.arguments) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    // bubblewrap tells the host's process on its status descriptor, here to nowhere.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, fence::kStatusFd, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        if (::posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("bubblewrap did not run /usr/bin/true");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    posix_spawn_file_actions_destroy(&actions);
    std::filesystem::remove_all(runtime);
}
BENCHMARK(BM_BubblewrapAlone)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

}  // namespace zelko

BENCHMARK_MAIN();
