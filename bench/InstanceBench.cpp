// What a host pays to open one more instance: construction, prepareToPlay and
// the impulse loads that follow it, until every convolver is ready; and what
// the instance then keeps (resident memory, threads).

#include "engine/PluginProcessor.h"
#include "engine/gadgets/GadgetN08.h"
#include "engine/gadgets/GadgetN11.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace
{
constexpr int benchBlockSize = 512;
constexpr int instancesMeasured = 8;

/** The convolution gadget's and the tape's convolvers in every slot. */
bool kernelsReady (const TarvolinAudioProcessor& processor)
{
    for (const auto& slot : processor.slots)
    {
        const auto* convolution = dynamic_cast<const GadgetN11*> (slot.getAlgorithmObject (4));
        const auto* tape = dynamic_cast<const GadgetN08*> (slot.getAlgorithmObject (8));

        if (! (convolution->convolvers[0].isReady() && convolution->convolvers[1].isReady()
               && tape->convolverL.isReady() && tape->convolverR.isReady()))
            return false;
    }

    return true;
}

std::unique_ptr<TarvolinAudioProcessor> openInstance (double sampleRate)
{
    auto processor = std::make_unique<TarvolinAudioProcessor>();
    processor->prepareToPlay (sampleRate, benchBlockSize);

    while (! kernelsReady (*processor))
        std::this_thread::sleep_for (std::chrono::microseconds (50));

    return processor;
}

/** Resident set of this process in bytes (/proc/self/statm counts pages). */
double residentBytes()
{
    std::ifstream statm ("/proc/self/statm");
    long totalPages = 0, residentPages = 0;
    statm >> totalPages >> residentPages;
    return (double) residentPages * 4096.0;
}

int threadCount()
{
    std::ifstream status ("/proc/self/status");

    for (std::string line; std::getline (status, line);)
        if (line.rfind ("Threads:", 0) == 0)
            return std::stoi (line.substr (8));

    return 0;
}

/** Creation to ready, with another instance already open at the same rate,
    as in a session. The first instance of the process (run the benchmark on
    its own to see it) also builds the kernels every later one shares. */
void BM_CreateAndPrepare (benchmark::State& state)
{
    const auto sampleRate = (double) state.range (0);
    const auto firstStart = std::chrono::steady_clock::now();
    const auto neighbour = openInstance (sampleRate);
    state.counters["first_instance_ms"] =
        std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - firstStart).count();

    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        auto processor = openInstance (sampleRate);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime (std::chrono::duration<double> (elapsed).count());

        state.PauseTiming();
        processor.reset();
        state.ResumeTiming();
    }
}

/** Resident memory and threads added per open, prepared instance. */
void BM_InstanceFootprint (benchmark::State& state)
{
    const auto sampleRate = (double) state.range (0);

    for (auto _ : state)
    {
        const auto residentBefore = residentBytes();
        const auto threadsBefore = threadCount();
        std::vector<std::unique_ptr<TarvolinAudioProcessor>> instances;

        for (int i = 0; i < instancesMeasured; ++i)
            instances.push_back (openInstance (sampleRate));

        state.counters["MiB_per_instance"] = (residentBytes() - residentBefore) / instancesMeasured / (1024.0 * 1024.0);
        state.counters["threads_per_instance"] = (double) (threadCount() - threadsBefore) / instancesMeasured;
    }
}
} // namespace

BENCHMARK (BM_CreateAndPrepare)->Arg (44100)->Arg (48000)->UseManualTime()->Unit (benchmark::kMillisecond);
BENCHMARK (BM_InstanceFootprint)->Arg (48000)->Iterations (1)->Unit (benchmark::kMillisecond);
