// A gadget's own arithmetic alone, to set beside the gadget itself (in
// GadgetsFirstHalfBench and friends): the diode ladder's per-sample solve on
// both channels, the crusher's two low-pass chains, and the tube stage pair.
// Each is a chain of dependent operations per sample, so its time is set by
// latency, not by how many operations there are.

#include "dsp/DriveProcessing.h"
#include "engine/gadgets/GadgetN04.h"
#include "engine/gadgets/GadgetN10.h"

#include "BenchNoise.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double benchSampleRate = 48000.0;

void countFrames (benchmark::State& state, int blockSize)
{
    const auto frames = (double) state.iterations() * blockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter (frames * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** Both channels' ladder solve as one vector, at the default controls
    (cutoff 20 kHz, k = 1): the gadget's sample loop without its cutoff
    sweep. */
void BM_LadderStepsAlone (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto g = (float) std::tan (20000.0f * 3.1415927f / (float) benchSampleRate);
    const auto inputL = benchNoise (blockSize, 1), inputR = benchNoise (blockSize, 2);
    std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
    FloatLanes states[GadgetN10::numStages] {};
    FloatLanes previous {};

    for (auto _ : state)
    {
        for (int i = 0; i < blockSize; ++i)
        {
            const auto output = GadgetN10::ladderStep (lanes::fromStereo (inputL[(size_t) i], inputR[(size_t) i]),
                                                       previous, states, g, 1.0f);
            left[(size_t) i] = lanes::left (output);
            right[(size_t) i] = lanes::right (output);
        }

        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    countFrames (state, blockSize);
}

/** The crusher's low-pass at its default 20 kHz on both channels, side by side. */
void BM_CrusherFiltersAlone (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    GadgetN04 crusher;
    crusher.initProcessing (benchSampleRate, blockSize);
    crusher.updateCoefficients();
    const auto section = crusher.filter;
    forms::Biquad::State stateL, stateR;
    const auto inputL = benchNoise (blockSize, 3), inputR = benchNoise (blockSize, 4);
    std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);

    for (auto _ : state)
    {
        for (int i = 0; i < blockSize; ++i)
        {
            left[(size_t) i] = section.process (inputL[(size_t) i], stateL);
            right[(size_t) i] = section.process (inputR[(size_t) i], stateR);
        }

        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    countFrames (state, blockSize);
}

/** The two tube stages of a slot with HOT on. */
void BM_TubePair (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    DriveProcessing stages[2];

    for (auto& stage : stages)
    {
        stage.setParameters (10.0f);
        stage.initProcessing (benchSampleRate, blockSize);
    }

    const auto inputL = benchNoise (blockSize, 5), inputR = benchNoise (blockSize, 6);
    auto left = inputL, right = inputR;

    for (auto _ : state)
    {
        std::copy (inputL.begin(), inputL.end(), left.begin());
        std::copy (inputR.begin(), inputR.end(), right.begin());
        DriveProcessing::processPair (stages[0], left.data(), stages[1], right.data(), blockSize);
        benchmark::DoNotOptimize (left.data());
    }

    countFrames (state, blockSize);
}
} // namespace

BENCHMARK (BM_LadderStepsAlone)->Arg (64)->Arg (512);
BENCHMARK (BM_CrusherFiltersAlone)->Arg (64)->Arg (512);
BENCHMARK (BM_TubePair)->Arg (64)->Arg (512);
