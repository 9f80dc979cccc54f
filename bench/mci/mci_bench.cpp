// SPDX-License-Identifier: GPL-3.0-or-later
// Engine figures on the bench media (ZELKO_BENCH_MEDIA names the file; bench/run sets it): the
// `status position` round trip, through sendString in process and through the engine host the
// window uses, and open-to-playing latency.
#include "channels/host_channel.h"
#include "platform/mci/engine.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

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

// One command through the host channel, as the window sends it: the answer comes from the event
// loop, which runs until it has.
uint32_t sendThroughHost(zelko::channels::HostChannel& channel, const std::string& command, uint32_t replyLength)
{
    std::optional<uint32_t> code;
    channel.send(command, replyLength, [&code](uint32_t answered, std::string_view) { code = answered; });
    while (!code) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return *code;
}

// The same question as the window asks it: over the socket to zelko-mci-host and back, the
// answer read from the event loop.
void BM_StatusPositionThroughTheHost(benchmark::State& state)
{
    int argc = 1;
    char name[] = "mci_bench";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
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

}  // namespace

}  // namespace zelko

BENCHMARK_MAIN();
