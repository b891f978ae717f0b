// The two convolution gadgets, in ns per sample, at 48 kHz with their
// kernels loaded.
#include "engine/gadgets/GadgetN08.h"
#include "engine/gadgets/GadgetN11.h"

#include <benchmark/benchmark.h>

#include <random>
#include <thread>
#include <vector>

namespace
{
constexpr double benchRate = 48000.0;

void waitUntilReady (const Convolution& left, const Convolution& right)
{
    while (! left.isReady() || ! right.isReady())
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
}

template <typename Gadget>
void runGadget (benchmark::State& state, Gadget& gadget)
{
    const auto blockSize = (int) state.range (0);
    std::mt19937 generator (1120);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
    std::vector<float> inputL ((size_t) blockSize), inputR ((size_t) blockSize);

    for (size_t i = 0; i < inputL.size(); ++i)
    {
        inputL[i] = uniform (generator);
        inputR[i] = uniform (generator);
    }

    auto left = inputL, right = inputR;

    for (auto _ : state)
    {
        std::copy (inputL.begin(), inputL.end(), left.begin());
        std::copy (inputR.begin(), inputR.end(), right.begin());
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
        benchmark::DoNotOptimize (left.data());
    }

    const auto samples = (double) state.iterations() * blockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_GadgetN11 (benchmark::State& state)
{
    auto gadget = std::make_unique<GadgetN11>();
    gadget->initProcessing (benchRate, (int) state.range (0));
    gadget->reset();
    gadget->setParameters (0.3, 0.5, 1.0, 0.5, 2);
    waitUntilReady (gadget->convolvers[0], gadget->convolvers[1]);
    runGadget (state, *gadget);
}

void BM_GadgetN08 (benchmark::State& state)
{
    // Hiss and flutter on: the busiest setting.
    auto gadget = std::make_unique<GadgetN08>();
    gadget->initProcessing (benchRate, (int) state.range (0));
    gadget->reset();
    gadget->setParameters (0.5, 1.0, 1.0, 0.5, 0);
    waitUntilReady (gadget->convolverL, gadget->convolverR);
    runGadget (state, *gadget);
}
} // namespace

BENCHMARK (BM_GadgetN11)->Arg (64)->Arg (256);
BENCHMARK (BM_GadgetN08)->Arg (64)->Arg (256);
